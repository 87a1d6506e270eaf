// The export's writers on every system: the CSV's quoting, the workbook's date-time values, and
// the type the file's name asks for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "logfile/log_export.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "logfile/log_workbook.h"
#include "support/export_folder.h"

namespace wandlink {
namespace {

using testing::SizeIs;
using testing_support::ReadFile;

TEST(LogText, ACellWithTheSeparatorAloneIsQuoted) {
  DownloadLog log = testing_support::LogOfRows(1);
  log.timeStamps[0] = {"a,b"};
  std::ostringstream csv;
  WriteLog(csv, log, kCsv);
  EXPECT_EQ(csv.str(), "序号,棒号,日期,钮号\r\n1,0123,\"a,b\",00000000\r\n");
}

// A name is the one free text a log holds: every writer keeps it whole, in one cell, whatever
// it holds. (The workbook's side is read back by workbook_readback.sh.)
TEST(LogText, ANameHoldingMarkupQuotesSeparatorsAndALineBreakStaysOneCell) {
  DownloadLog log = testing_support::LogOfRows(1);
  log.rowWandNumbers = {{"0BEE"}};
  log.names = {"", "A&B<C>D\"E'F,G;H\tI\nJ", "北门"};
  log.rowGuards = {1};
  log.rowPlaces = {2};
  const std::size_t row[] = {0};
  const struct {
    const char* what;
    std::string written;
    std::string expected;
  } cases[] = {
      {"CSV", LogRowsText(log, row, kCsv),
       "序号,棒号,日期,钮号,巡检员,巡检点\r\n"
       "1,0BEE,2024-03-05 14:07,00000000,\"A&B<C>D\"\"E'F,G;H\tI\nJ\",北门\r\n"},
      {"tab copy", LogRowsText(log, row, kTabSeparatedCrlf),
       "序号\t棒号\t日期\t钮号\t巡检员\t巡检点\r\n"
       "1\t0BEE\t2024-03-05 14:07\t00000000\t\"A&B<C>D\"\"E'F,G;H\tI\nJ\"\t北门\r\n"},
      {"HTML copy", LogRowsHtml(log, row),
       R"(<td style='mso-number-format:"\@"' sdnum="1033;0;@">)"
       "A&amp;B&lt;C&gt;D&quot;E&#39;F,G;H\tI"
       R"(<br style="mso-data-placement:same-cell">J</td>)"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(c.written.find(c.expected), std::string::npos) << c.what << ":\n" << c.written;
  }
  EXPECT_EQ(SuggestedExportName(log), "巡检记录-20240305-1407.xlsx");
}

TEST(Workbook, TimeStampsBecomeDateTimesWhenTheyAreTimes) {
  EXPECT_EQ(SpreadsheetDateTime("1900-03-01 00:00"), 61.0);
  EXPECT_EQ(SpreadsheetDateTime("2009-11-30 23:59"), 40147.0 + 1439.0 / 1440.0);
  EXPECT_EQ(SpreadsheetDateTime("2024-02-29 12:00"), 45351.5);
  for (const char* text :
       {"2024-02-00 08:15", "2023-02-29 00:00", "2009-11-30 24:00", "2009-13-01 00:00",
        "1900-02-28 00:00", "2009-11-30 23:59 ", "2009-11-3O 23:59", ""}) {
    EXPECT_EQ(SpreadsheetDateTime(text), std::nullopt) << text;
  }
}

using ExportTest = testing_support::ExportFolderTest;

TEST_F(ExportTest, TheNameSaysTheType) {
  EXPECT_EQ(SuggestedExportName(log_), "0123-20240305-1407.xlsx");
  EXPECT_EQ(SuggestedExportName(log_, ExportType::Csv), "0123-20240305-1407.csv");
  ASSERT_EQ(ExportLog(log_, folder_ / "log.CSV"), "");
  ASSERT_EQ(ExportLog(log_, folder_ / "log.xlsx"), "");
  std::ostringstream csv;
  WriteLog(csv, log_, kCsvFile);
  EXPECT_EQ(ReadFile(folder_ / "log.CSV"), csv.str());
  EXPECT_EQ(ReadFile(folder_ / "log.xlsx").substr(0, 4), "PK\3\4");
  EXPECT_THAT(Entries(), SizeIs(2)) << "no temporary file left";
}

}  // namespace
}  // namespace wandlink
