// The durable replace of an export's target on Windows: over a file another program holds
// open, over a file that is there, and under a path past MAX_PATH.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "logfile/durable_file.h"
#include "logfile/log_export.h"
#include "support/export_folder.h"
#include "wandlink/unique_handle.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;
using testing::SizeIs;
using testing_support::ReadFile;
using ExportTest = testing_support::ExportFolderTest;

TEST_F(ExportTest, AFileHeldOpenByAnotherProgramFailsWithTheSystemsReason) {
  const fs::path target = folder_ / "log.xlsx";
  std::ofstream(target) << "kept";
  std::string failure;
  {
    // As Excel holds a workbook it has open: no sharing.
    const UniqueHandle held =
        OwnFileHandle(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    failure = ExportLog(log_, target);
  }
  EXPECT_EQ(failure, SystemErrorText(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ReadFile(target), "kept");
  EXPECT_THAT(Entries(), SizeIs(1)) << "no temporary file left";
}

TEST_F(ExportTest, ReplacesAFileAndTakesAPathPastMaxPath) {
  const fs::path old = folder_ / "log.xlsx";
  std::ofstream(old) << "old";
  ASSERT_EQ(ExportLog(log_, old), "");
  EXPECT_EQ(ReadFile(old).substr(0, 2), "PK");
  const std::wstring deep = LR"(\\?\)" + folder_.wstring() + L"\\" + std::wstring(200, L'd');
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  const std::wstring target = deep + L"\\" + std::wstring(200, L'k') + L".csv";
  ASSERT_EQ(ExportLog(log_, fs::path(target.substr(4))), "");
  EXPECT_NE(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(target.c_str());
  RemoveDirectoryW(deep.c_str());
  EXPECT_THAT(Entries(), SizeIs(1)) << "no temporary file left";
}

// What is no file to replace is refused before anything is written, and left as it was.
TEST_F(ExportTest, ADeviceAFolderOrAFileOfTwoLinksIsRefused) {
  const fs::path folder = folder_ / "folder.xlsx";
  fs::create_directory(folder);
  const fs::path linked = folder_ / "linked.xlsx";
  std::ofstream(linked) << "kept";
  ASSERT_TRUE(CreateHardLinkW((folder_ / "second.xlsx").c_str(), linked.c_str(), nullptr));
  EXPECT_EQ(ExportLog(log_, folder), kNotARegularFileReason);
  EXPECT_EQ(ExportLog(log_, folder_ / "NUL"), kNotARegularFileReason);
  EXPECT_EQ(ExportLog(log_, linked), kSeveralLinksReason);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(ReadFile(linked), "kept");
  EXPECT_EQ(ReadFile(folder_ / "second.xlsx"), "kept");
  EXPECT_THAT(Entries(), SizeIs(3)) << "no temporary file left";
}

}  // namespace
}  // namespace wandlink
