// The durable replace of an export's target on Linux: through symbolic links, under the longest
// name, with the old file's permission bits, and its failures once the temporary file exists;
// each kind of target a user may name; a sheet's worth of records under a memory limit.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

#include "logfile/durable_file.h"
#include "logfile/log_export.h"
#include "logfile/log_text.h"
#include "logfile/log_workbook.h"
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

struct stat Status(const fs::path& path) {
  struct stat status {};
  ::lstat(path.c_str(), &status);
  return status;
}

// Runs the export with the standard output sent to a file descriptor of the test's.
std::string ExportWithStandardOutput(int fd, const DownloadLog& log, const fs::path& target) {
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  ::dup2(fd, STDOUT_FILENO);
  const std::string failure = ExportLog(log, target, ExportType::Csv);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  return failure;
}

// Each kind of target a user may name: what the export says, and what is left there after.
TEST_F(ExportTest, EachKindOfTargetIsReplacedWholeOrRefusedUntouched) {
  const bool root = ::geteuid() == 0;
  std::ostringstream csvText;
  WriteLog(csvText, log_, kCsvFile);
  const std::string csv = csvText.str();
  const fs::path other = folder_ / "other";
  fs::create_directories(other);
  struct Case {
    const char* kind;
    // Makes the target; the text why it cannot be made here skips the case.
    std::function<std::string(const fs::path& target)> make;
    // What the export says: empty for success.
    std::function<std::string(const fs::path& target)> expected;
    std::function<void(const fs::path& target)> check;
    // Where in the test's folder; else the kind's own name.
    const char* place = nullptr;
  };
  const auto says = [](std::string_view text) {
    return [text](const fs::path&) { return std::string(text); };
  };
  const auto oldText = [](const fs::path& target) {
    std::ofstream(target) << "old";
    return std::string();
  };
  const auto csvThere = [&csv](const fs::path& target) { EXPECT_EQ(ReadFile(target), csv); };
  const auto regularWithOneName = [](const fs::path& target) {
    EXPECT_TRUE(S_ISREG(Status(target).st_mode));
    EXPECT_EQ(Status(target).st_nlink, 1U);
  };
  const Case cases[] = {
      {"regular file", oldText, says(""), csvThere},
      {"absent", [](const fs::path&) { return std::string(); }, says(""), csvThere},
      {"FIFO",
       [](const fs::path& target) {
         return ::mkfifo(target.c_str(), 0666) == 0 ? "" : std::strerror(errno);
       },
       says(kNotARegularFileReason),
       [](const fs::path& target) { EXPECT_TRUE(S_ISFIFO(Status(target).st_mode)); }},
      {"socket",
       [](const fs::path& target) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
         std::strncpy(address.sun_path, target.c_str(), sizeof address.sun_path - 1);
         const bool bound =
             ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
         ::close(fd);
         return bound ? "" : std::strerror(errno);
       },
       says(kNotARegularFileReason),
       [](const fs::path& target) { EXPECT_TRUE(S_ISSOCK(Status(target).st_mode)); }},
      // The node is never opened, so the folder's mount may forbid devices.
      {"device node",
       [](const fs::path& target) {
         return ::mknod(target.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0
                    ? ""
                    : std::string("mknod: ") + std::strerror(errno);
       },
       says(kNotARegularFileReason),
       [](const fs::path& target) { EXPECT_TRUE(S_ISCHR(Status(target).st_mode)); }},
      {"empty folder",
       [](const fs::path& target) {
         fs::create_directory(target);
         return std::string();
       },
       says(std::strerror(EISDIR)),
       [](const fs::path& target) { EXPECT_TRUE(fs::is_directory(target)); }},
      // Refused as a shell's > would refuse it: by everyone but root.
      {"read-only file",
       [&](const fs::path& target) {
         oldText(target);
         ::chmod(target.c_str(), 0444);
         return std::string();
       },
       [](const fs::path& target) {
         return ::access(target.c_str(), W_OK) == 0 ? "" : std::strerror(EACCES);
       },
       [&](const fs::path& target) {
         EXPECT_EQ(Mode(target), 0444U);
         if (::access(target.c_str(), W_OK) == 0) {
           csvThere(target);
         } else {
           EXPECT_EQ(ReadFile(target), "old");
         }
       }},
      {"set-user-ID file",
       [&](const fs::path& target) {
         oldText(target);
         ::chmod(target.c_str(), 06755);
         return std::string();
       },
       says(""),
       [&](const fs::path& target) {
         csvThere(target);
         EXPECT_EQ(Mode(target), 0755U) << "no set-ID bits on the new contents";
       }},
      {"another user's file",
       [&](const fs::path& target) {
         oldText(target);
         return root && ::chown(target.c_str(), 65534, 65534) == 0 ? "" : "needs root";
       },
       says(""),
       [&](const fs::path& target) {
         csvThere(target);
         EXPECT_EQ(Status(target).st_uid, 65534U);
         EXPECT_EQ(Status(target).st_gid, 65534U);
       }},
      {"file with two hard links",
       [&](const fs::path& target) {
         oldText(target);
         fs::create_hard_link(target, other / "second");
         return std::string();
       },
       says(kSeveralLinksReason),
       [&](const fs::path& target) {
         EXPECT_EQ(ReadFile(target), "old");
         EXPECT_EQ(Status(target).st_ino, Status(other / "second").st_ino) << "still linked";
       }},
      // Followed only where the kernel follows it for the user, as a shell's >> would.
      {"another user's link in a sticky shared folder",
       [&](const fs::path& target) {
         fs::create_directory(target.parent_path());
         ::chmod(target.parent_path().c_str(), 01777);
         oldText(other / "victim");
         fs::create_symlink(other / "victim", target);
         return root && ::lchown(target.c_str(), 65534, 65534) == 0 ? "" : "needs root";
       },
       [](const fs::path& target) {
         const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND);
         const std::string reason = fd < 0 ? std::strerror(errno) : "";
         ::close(fd);
         return reason;
       },
       [&](const fs::path& target) {
         EXPECT_TRUE(fs::is_symlink(target));
         regularWithOneName(other / "victim");
       },
       "shared/log.csv"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.kind);
    const fs::path target =
        folder_ / (test.place != nullptr ? test.place : std::string(test.kind) + ".csv");
    if (const std::string skip = test.make(target); !skip.empty()) {
      std::cerr << "skipped " << test.kind << ": " << skip << '\n';
      continue;
    }
    const std::string expected = test.expected(target);
    EXPECT_EQ(ExportLog(log_, target), expected);
    test.check(target);
    if (expected.empty() && !fs::is_symlink(target)) {
      regularWithOneName(target);
    }
  }
  for (const fs::path& entry : Entries()) {
    EXPECT_FALSE(entry.filename().string().starts_with(".korvanta-")) << entry;
  }

  // /dev/stdout stands for the file open there: appended to, as the shell's >> left it.
  const fs::path history = folder_ / "history.log";
  std::ofstream(history) << "earlier\n";
  const int appending = ::open(history.c_str(), O_WRONLY | O_APPEND);
  EXPECT_EQ(ExportWithStandardOutput(appending, log_, "/dev/stdout"), "");
  ::close(appending);
  EXPECT_EQ(ReadFile(history), "earlier\n" + csv);
  // And a pipe.
  int pipe[2];
  ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
  ASSERT_LT(csv.size(), 65536U) << "fits in the pipe";
  EXPECT_EQ(ExportWithStandardOutput(pipe[1], log_, "/dev/stdout"), "");
  ::close(pipe[1]);
  std::string piped(csv.size() + 1, '\0');
  piped.resize(
      static_cast<std::size_t>(std::max<ssize_t>(0, ::read(pipe[0], piped.data(), piped.size()))));
  ::close(pipe[0]);
  EXPECT_EQ(piped, csv);
}

// A temporary file of an export that was killed goes once it is a day old; anything else stays.
TEST_F(ExportTest, RemovesItsOwnTemporaryFilesOnceADayOld) {
  const auto dayAndAMinuteAgo =
      fs::file_time_type::clock::now() - std::chrono::hours(24) - std::chrono::minutes(1);
  for (const char* name : {".korvanta-Old123", ".korvanta-New123", ".korvanta-Old1234", "Old"}) {
    std::ofstream(folder_ / name) << "left";
    if (std::string_view(name).find("Old") != std::string_view::npos) {
      fs::last_write_time(folder_ / name, dayAndAMinuteAgo);
    }
  }
  ASSERT_EQ(ExportLog(log_, folder_ / "log.csv"), "");
  EXPECT_FALSE(fs::exists(folder_ / ".korvanta-Old123"));
  EXPECT_THAT(Entries(), SizeIs(4)) << "the others and the export";
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// A figure of /proc/self/status in kB.
std::size_t StatusKb(std::string_view field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) {
      return std::stoul(line.substr(field.size()));
    }
  }
  return 0;
}

// The most records a sheet holds, written with 200 MB of address space to spare beyond the log:
// a workbook made whole in memory took about 500 MB and ended the program.
TEST_F(ExportTest, ASheetOfRecordsIsWrittenInBoundedMemory) {
  if (kSanitized) {
    GTEST_SKIP() << "a sanitizer's shadow memory needs the address space";
  }
  const DownloadLog log = LogOfRows(kWorkbookRecordLimit);
  const fs::path target = folder_ / "full.xlsx";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{.rlim_cur = (StatusKb("VmSize:") + 200 * 1024) * 1024,
                       .rlim_max = RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &limit);
    try {
      ::_exit(ExportLog(log, target).empty() ? 0 : 1);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string bytes = ReadFile(target);
  ASSERT_GT(bytes.size(), 22U);
  EXPECT_EQ(bytes.substr(0, 4), "PK\3\4");
  EXPECT_EQ(bytes.substr(bytes.size() - 22, 4), "PK\5\6") << "the archive's end record";
}

}  // namespace
}  // namespace wandlink
