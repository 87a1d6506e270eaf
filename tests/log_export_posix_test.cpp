// The durable replace of an export's target on Linux: through symbolic links, under the longest
// name, with the old file's permission bits, and its failures once the temporary file exists.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "logfile/log_export.h"
#include "support/export_folder.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;
using testing::SizeIs;
using testing_support::LogOfRows;
using testing_support::ReadFile;
using ExportTest = testing_support::ExportFolderTest;

mode_t Mode(const fs::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

TEST_F(ExportTest, WritesThroughASymbolicLink) {
  fs::create_directories(folder_ / "real");
  std::ofstream(folder_ / "real" / "log.csv") << "old";
  fs::create_symlink("real/log.csv", folder_ / "link.csv");
  fs::create_symlink("real/new.csv", folder_ / "dangling.csv");
  ASSERT_EQ(ExportLog(log_, folder_ / "link.csv"), "");
  ASSERT_EQ(ExportLog(log_, folder_ / "dangling.csv"), "");
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.csv"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.csv"));
  EXPECT_EQ(ReadFile(folder_ / "real" / "log.csv").substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(ReadFile(folder_ / "real" / "new.csv"), ReadFile(folder_ / "real" / "log.csv"));
  EXPECT_THAT(Entries(), SizeIs(3));
  EXPECT_THAT(Entries(folder_ / "real"), SizeIs(2));
}

TEST_F(ExportTest, TakesANameAsLongAsTheSystemAllows) {
  const long longest = ::pathconf(folder_.c_str(), _PC_NAME_MAX);
  ASSERT_GE(longest, 250);
  for (const std::size_t length : {std::size_t{250}, static_cast<std::size_t>(longest)}) {
    const fs::path target = folder_ / (std::string(length - 5, 'k') + ".xlsx");
    std::ofstream(target) << "old";
    EXPECT_EQ(ExportLog(log_, target), "") << length;
    EXPECT_EQ(ReadFile(target).substr(0, 2), "PK") << length;
    fs::remove(target);
  }
  EXPECT_THAT(Entries(), SizeIs(0));
}

TEST_F(ExportTest, KeepsThePermissionBits) {
  const fs::path old = folder_ / "old.xlsx";
  std::ofstream(old) << "old";
  ::chmod(old.c_str(), 0604);
  const mode_t mask = ::umask(027);
  const std::string failure = ExportLog(log_, old) + ExportLog(log_, folder_ / "new.xlsx");
  ::umask(mask);
  ASSERT_EQ(failure, "");
  EXPECT_EQ(Mode(old), 0604U);
  EXPECT_EQ(Mode(folder_ / "new.xlsx"), 0640U) << "as a new file under the umask";
}

TEST_F(ExportTest, AWriteThatFailsPartWayLeavesTheOldFileAndNoTemporaryOne) {
  for (const char* name : {"log.csv", "log.xlsx"}) {
    const fs::path target = folder_ / name;
    std::ofstream(target) << "kept";
    // Writing past 1 KiB fails with EFBIG rather than killing the process.
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1024, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string failure = ExportLog(LogOfRows(2000), target);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(failure, std::strerror(EFBIG)) << name;
    EXPECT_EQ(ReadFile(target), "kept") << name;
    EXPECT_THAT(Entries(), SizeIs(1)) << name << ": no temporary file left";
    fs::remove(target);
  }
}

TEST_F(ExportTest, ARenameThatFailsLeavesNoTemporaryFile) {
  // A folder that is not empty cannot be renamed over.
  const fs::path target = folder_ / "log.xlsx";
  fs::create_directories(target / "inside");
  EXPECT_EQ(ExportLog(log_, target), std::strerror(EISDIR));
  EXPECT_THAT(Entries(), SizeIs(1)) << "no temporary file left";
  EXPECT_TRUE(fs::is_directory(target / "inside"));
}

}  // namespace
}  // namespace wandlink
