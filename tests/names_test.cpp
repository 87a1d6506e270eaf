// The names: a CSV list read in whichever encoding Excel wrote it, the rows it cannot use told
// by their line; and the names kept in the archive beside its readings, an older archive
// without them included.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "archive/names.h"
#include "archive/names_csv.h"
#include "archive/sqlite_db.h"
#include "names_command.h"
#include "wand_log.h"

namespace {

using Names = std::vector<std::pair<std::string, std::string>>;

Names Pairs(const std::vector<archive::NamedNumber>& names) {
  Names pairs;
  for (const archive::NamedNumber& named : names) {
    pairs.emplace_back(named.number, named.name);
  }
  return pairs;
}

// Every character a writer must escape somewhere, and a line break.
const std::string kTrickyName = "A&B <\"C\"> 'D', E;\tF\nG";
const std::string kTrickyQuoted = "\"A&B <\"\"C\"\"> 'D', E;\tF\nG\"";

TEST(NamesCsvTest, ReadsEveryEncodingAndTellsTheRowsItCannotUseByLine) {
  struct Case {
    const char* what;
    std::string bytes;
    Names names;
    std::string rejected;
  };
  const Case cases[] = {
      {"UTF-8 with a byte order mark, no heading, spaces around",
       "\xEF\xBB\xBF"
       "120a,夜班 王\r\n 0000beef ,  北门 \r\n",
       {{"120A", "夜班 王"}, {"0000BEEF", "北门"}},
       ""},
      {"UTF-8 without, no heading, a blank line",
       "0001,东门\n\n00000002,西门\n",
       {{"0001", "东门"}, {"00000002", "西门"}},
       ""},
      {"GB18030 with its heading",
       "\xBA\xC5\xC2\xEB,\xC3\xFB\xB3\xC6\r\n00000003,\xD1\xB2\xBC\xEC\r\n",
       {{"00000003", "巡检"}},
       ""},
      {"GB18030 with a row it cannot decode",
       "00000004,\xB1\xB1\xC3\xC5\r\n00000005,\x81\x20\r\n00000006,\xD1\xB2\xBC\xEC\r\n",
       {{"00000004", "北门"}, {"00000006", "巡检"}},
       "第 2 行:含有无法识别的字符(既非 UTF-8,也非 GB18030)\n"},
      {"a bad number, an empty name, a duplicate number",
       "号码,名称\r\n12345,长\r\n0007,  \r\n0008,甲\r\n0008,乙\r\n",
       {{"0008", "甲"}},
       "第 2 行:号码须为 4 位或 8 位十六进制数\n第 3 行:名称为空\n第 5 行:号码与第 4 行重复\n"},
      {"a quoted name over two lines, then a row counted from the line after",
       "0009," + kTrickyQuoted + "\r\nXYZW,丙\r\n000A,一,二\r\n",
       {{"0009", kTrickyName}},
       "第 3 行:号码须为 4 位或 8 位十六进制数\n第 4 行:多于两列(名称含逗号时须加引号)\n"},
      {"a first row with a mistyped number, no heading",
       "12345,东门\r\n0001,西门\r\n",
       {{"0001", "西门"}},
       "第 1 行:号码须为 4 位或 8 位十六进制数\n"},
      {"a quote never closed",
       "000B,好\r\n000C,\"坏\r\n000D,丢\r\n",
       {{"000B", "好"}},
       "第 2 行:引号没有结束\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const archive::NamesCsvRead read = archive::ReadNamesCsv(c.bytes);
    EXPECT_EQ(Pairs(read.names), c.names);
    EXPECT_EQ(archive::RejectedRowsText(read.rejected), c.rejected);
  }
}

wandlink::DownloadLog Download(std::uint32_t firstButton, int count) {
  const wandlink::LocalTime readAt{2026, 3, 5, 14, 0};
  wandlink::DownloadLog log{.wandNumber = {"0BEE"}, .readAt = readAt};
  for (int i = 0; i < count; ++i) {
    const wandlink::WandRecord frame = wandsim::MakeRecord(
        {2026, 3, 1, 8, i}, firstButton + static_cast<std::uint32_t>(i), wandlink::MonthMode::Bcd);
    log.frames.push_back(frame);
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [&] { return readAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  return log;
}

// From an archive of readings without the names tables, through the dialog's and the import's
// writes, to the list exported and read back.
TEST(NamesArchiveTest, KeepsTheNamesBesideTheReadingsAndListsTheUnnamed) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "names_test";
  std::filesystem::remove_all(folder);
  const archive::Archive archive = archive::ArchiveAt(folder / "sub" / "archive.sqlite").value();
  EXPECT_TRUE(Pairs(archive::ReadNames(archive).checkpoints).empty());

  wandlink::DownloadLog log = Download(0x11, 3);
  ASSERT_EQ(archive::ArchiveDownload(archive, log, "COM4").failure, "");
  {
    archive::Database db(*archive.sqlite, archive.file, archive::kSqliteOpenReadWrite);
    db.Execute("DROP TABLE guards");
    db.Execute("DROP TABLE checkpoints");
  }
  EXPECT_TRUE(Pairs(archive::ReadNames(archive).guards).empty());
  const std::vector<std::string> all = {"00000011", "00000012", "00000013"};
  EXPECT_EQ(archive::UnnamedButtons(archive), all);
  EXPECT_EQ(archive::UnnamedWands(archive), std::vector<std::string>{"0BEE"});

  archive::SetName(archive, {"0bee", "  夜班\n王 "});
  archive::SetName(archive, {"00000013", "旧名"});
  const archive::NamesCsvRead read = archive::ReadNamesCsv("\xEF\xBB\xBF号码,名称\r\n00000011," +
                                                           kTrickyQuoted + "\r\n00000013,南门\r\n");
  ASSERT_TRUE(read.rejected.empty());
  archive::ImportNames(archive, read.names);
  // One name the archive cannot keep leaves the others of its import unwritten.
  const archive::NamedNumber refused[] = {{"00000012", "好"}, {"00000014", "a\x07"}};
  EXPECT_THROW(archive::ImportNames(archive, refused), std::invalid_argument);
  archive::SetName(archive, {"0000ABCD", "删掉"});
  archive::RemoveName(archive, "0000abcd");

  const archive::NameBook book = archive::ReadNames(archive);
  EXPECT_EQ(Pairs(book.guards), (Names{{"0BEE", "夜班\n王"}}));
  EXPECT_EQ(Pairs(book.checkpoints), (Names{{"00000011", kTrickyName}, {"00000013", "南门"}}));
  EXPECT_EQ(archive::UnnamedButtons(archive), std::vector<std::string>{"00000012"});
  EXPECT_TRUE(archive::UnnamedWands(archive).empty());

  const archive::NamesCsvRead back = archive::ReadNamesCsv(archive::NamesCsvText(book));
  EXPECT_TRUE(back.rejected.empty());
  EXPECT_EQ(Pairs(back.names),
            (Names{{"0BEE", "夜班\n王"}, {"00000011", kTrickyName}, {"00000013", "南门"}}));
  std::filesystem::remove_all(folder);
}

// The script's agreement: a list with a row it cannot use imports nothing unless told to skip
// it, and the export is the list that reads back as the names.
TEST(NamesCommandTest, ImportsNothingOfAListWithABadRowUnlessToldToSkipIt) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / "names_command_test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string list = archive::Utf8Path(folder / "list.csv");
  const std::string exported = archive::Utf8Path(folder / "exported.csv");
  const std::string file = archive::Utf8Path(folder / "archive.sqlite");
  std::ofstream(folder / "list.csv", std::ios::binary) << "00000001,东门\r\nXYZ,坏\r\n";
  const auto usage = [](const std::string&) { return 64; };
  const auto run = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--archive", file});
    return wandread::RunNames(arguments, usage);
  };

  EXPECT_EQ(run({"--import", list}), 1);
  const archive::Archive archive = archive::ArchiveAt(folder / "archive.sqlite").value();
  EXPECT_TRUE(archive::ReadNames(archive).checkpoints.empty());
  EXPECT_EQ(run({"--import", list, "--skip-bad"}), 0);
  EXPECT_EQ(Pairs(archive::ReadNames(archive).checkpoints), (Names{{"00000001", "东门"}}));
  EXPECT_EQ(run({"--export", exported}), 0);
  {
    std::ifstream in(folder / "exported.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              archive::NamesCsvText(archive::ReadNames(archive)));
  }
  EXPECT_EQ(run({"--export", exported, "--import", list}), 64);
  std::filesystem::remove_all(folder);
}

}  // namespace
