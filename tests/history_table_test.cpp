// The history over an archive of two wands' readings across days, in an archive older than the
// names and then with names: its order, its filters, a sort by a name, a refresh after another
// archiving, the log it hands to the exports, and wandread history's reading of the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "archive/history_table.h"
#include "archive/sqlite_db.h"
#include "wand_log.h"

namespace {

using archive::HistoryColumn;
using archive::HistoryFilter;
using wandlink::WandRecord;

constexpr wandlink::LocalTime kReadAt{2026, 3, 9, 12, 0};

WandRecord Reading(int day, int hour, int minute, std::uint32_t button) {
  return wandsim::MakeRecord({2026, 3, day, hour, minute}, button, wandlink::MonthMode::Bcd);
}

wandlink::DownloadLog Download(const char* wand, const std::vector<WandRecord>& frames) {
  wandlink::DownloadLog log{.wandNumber = {}, .readAt = kReadAt, .frames = frames};
  std::copy_n(wand, 4, log.wandNumber.begin());
  for (const WandRecord& frame : frames) {
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [] { return kReadAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  return log;
}

class HistoryTableTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) / "history_table_test";
    std::filesystem::remove_all(folder_);
    archive_ = archive::ArchiveAt(folder_ / "archive.sqlite").value();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void Archive(const char* wand, const std::vector<WandRecord>& frames) {
    wandlink::DownloadLog log = Download(wand, frames);
    ASSERT_EQ(archive::ArchiveDownload(archive_, log, "COM4").failure, "");
  }
  void Execute(std::initializer_list<std::string_view> statements) {
    archive::Database db(*archive_.sqlite, archive_.file, archive::kSqliteOpenReadWrite);
    for (const std::string_view statement : statements) {
      db.Execute(statement);
    }
  }
  // Each shown row as "date wand guard button place".
  std::vector<std::string> Rows(const archive::HistoryTable& table) {
    std::vector<std::string> rows;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      std::string text;
      for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
        text += (column > 0 ? "|" : "");
        text += table.Cell(row, static_cast<HistoryColumn>(column));
      }
      rows.push_back(text);
    }
    return rows;
  }

  std::filesystem::path folder_;
  archive::Archive archive_;
};

TEST_F(HistoryTableTest, FiltersSortsAndRefreshesOverNamedReadings) {
  // 8:00 on the 2nd is read by both wands: the later log is the newer reading.
  Archive("0BEE", {Reading(1, 8, 0, 0x11), Reading(1, 8, 10, 0x22), Reading(2, 8, 0, 0x33)});
  Archive("0C01", {Reading(1, 22, 0, 0x11), Reading(2, 8, 0, 0x22), Reading(2, 23, 59, 0x33)});

  archive::HistoryTable table;
  table.Load(archive_);
  // An archive older than the names shows none.
  const std::vector<std::string> newestFirst = {
      "2026-03-02 23:59|0C01||00000033|", "2026-03-02 08:00|0C01||00000022|",
      "2026-03-02 08:00|0BEE||00000033|", "2026-03-01 22:00|0C01||00000011|",
      "2026-03-01 08:10|0BEE||00000022|", "2026-03-01 08:00|0BEE||00000011|"};
  EXPECT_EQ(Rows(table), newestFirst);

  Execute({"CREATE TABLE IF NOT EXISTS guards (wand TEXT PRIMARY KEY, name TEXT NOT NULL)",
           "CREATE TABLE IF NOT EXISTS checkpoints (button TEXT PRIMARY KEY, name TEXT NOT NULL)",
           "INSERT INTO guards VALUES ('0BEE', '张三'), ('0D00', '王五')",
           "INSERT INTO checkpoints VALUES ('00000011', '北门'), ('00000022', '北门'),"
           " ('00000044', '东门')"});
  table.Refresh(archive_);
  EXPECT_EQ(table.TotalCount(), 6u);
  EXPECT_EQ(table.Cell(0, HistoryColumn::Place), "");
  EXPECT_EQ(table.Cell(1, HistoryColumn::Place), "北门");

  const struct {
    const char* what;
    HistoryFilter filter;
    std::vector<std::size_t> rows;  // positions in newestFirst
  } filters[] = {
      {"a day", {.from = "2026-03-02", .to = "2026-03-02"}, {0, 1, 2}},
      {"up to a minute", {.to = "2026-03-01 22:00"}, {3, 4, 5}},
      {"a guard", {.guard = "张三"}, {2, 4, 5}},
      {"a place of two buttons", {.place = "北门"}, {1, 3, 4, 5}},
      {"a day and a guard", {.from = "2026-03-01", .to = "2026-03-01", .guard = "张三"}, {4, 5}},
      {"a guard and a place", {.guard = "张三", .place = "北门"}, {4, 5}},
      {"a wand and a button", {.wand = "0C01", .button = "00000011"}, {3}},
      {"a guard without readings", {.guard = "王五"}, {}},
  };
  for (const auto& c : filters) {
    SCOPED_TRACE(c.what);
    table.SetFilter(c.filter);
    ASSERT_EQ(table.RowCount(), c.rows.size());
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      EXPECT_EQ(table.Cell(i, HistoryColumn::Date), newestFirst[c.rows[i]].substr(0, 16));
      EXPECT_EQ(table.Cell(i, HistoryColumn::Wand), newestFirst[c.rows[i]].substr(17, 4));
    }
  }

  // By guard, unnamed first; equal names keep the newest first. The sort and filter outlive a
  // refresh that brings a reading older than every shown one, in a new log.
  table.SetFilter({.from = "2026-03-01"});
  table.SortBy(HistoryColumn::Guard, true);
  const auto byGuard = [&table] {
    std::vector<std::string> cells;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      cells.push_back(std::string(table.Cell(row, HistoryColumn::Guard)) + " " +
                      std::string(table.Cell(row, HistoryColumn::Date)));
    }
    return cells;
  };
  EXPECT_EQ(byGuard(),
            (std::vector<std::string>{" 2026-03-02 23:59", " 2026-03-02 08:00", " 2026-03-01 22:00",
                                      "张三 2026-03-02 08:00", "张三 2026-03-01 08:10",
                                      "张三 2026-03-01 08:00"}));
  Archive("0BEE", {Reading(1, 7, 0, 0x44)});
  Archive("0C01", {Reading(1, 22, 0, 0x11), Reading(2, 8, 0, 0x22), Reading(2, 23, 59, 0x33),
                   Reading(3, 6, 0, 0x44)});
  table.Refresh(archive_);
  EXPECT_EQ(table.TotalCount(), 8u);
  EXPECT_EQ(byGuard(), (std::vector<std::string>{
                           " 2026-03-03 06:00", " 2026-03-02 23:59", " 2026-03-02 08:00",
                           " 2026-03-01 22:00", "张三 2026-03-02 08:00", "张三 2026-03-01 08:10",
                           "张三 2026-03-01 08:00", "张三 2026-03-01 07:00"}));
  table.SortBy(HistoryColumn::Date, true);
  EXPECT_EQ(table.Cell(0, HistoryColumn::Date), "2026-03-01 07:00");
  EXPECT_EQ(table.Cell(4, HistoryColumn::Wand), "0C01") << "08:00 on the 2nd: the newer first";

  std::vector<std::string> guardChoices;
  for (const archive::FilterChoice& choice : table.GuardChoices()) {
    guardChoices.push_back(choice.text + "=" + choice.name + "/" + choice.number);
  }
  EXPECT_EQ(guardChoices,
            (std::vector<std::string>{"全部=/", "张三=张三/", "王五=王五/", "0C01=/0C01"}));

  // The exports' log: the shown rows with each row's wand and both names, as wandread history
  // reads the same filter.
  table.SetFilter({.place = "东门"});
  table.SortBy(HistoryColumn::Date, false);
  const wandlink::DownloadLog shown = table.ShownLog();
  ASSERT_EQ(shown.RowCount(), 2u);
  EXPECT_EQ(shown.ColumnCount(), wandlink::kNamedColumnCount);
  const std::vector<std::vector<std::string>> cells = {
      {"1", "0C01", "2026-03-03 06:00", "00000044", "", "东门"},
      {"2", "0BEE", "2026-03-01 07:00", "00000044", "张三", "东门"}};
  for (std::size_t row = 0; row < cells.size(); ++row) {
    for (int column = 0; column < wandlink::kNamedColumnCount; ++column) {
      EXPECT_EQ(shown.CellText(row, column), cells[row][static_cast<std::size_t>(column)]);
    }
  }
  const wandlink::DownloadLog read = archive::ReadHistory(archive_, {.place = "东门"});
  ASSERT_EQ(read.RowCount(), 2u);
  EXPECT_EQ(read.CellText(1, 4), "张三");
  EXPECT_EQ(read.CellText(0, 1), "0C01");
  // Dated, it reads through the times' index, and still orders as the table does.
  const wandlink::DownloadLog day =
      archive::ReadHistory(archive_, {.from = "2026-03-01", .to = "2026-03-01", .guard = "张三"});
  std::vector<std::string> dayTimes;
  for (std::size_t row = 0; row < day.RowCount(); ++row) {
    dayTimes.push_back(day.CellText(row, 2));
  }
  EXPECT_EQ(dayTimes,
            (std::vector<std::string>{"2026-03-01 08:10", "2026-03-01 08:00", "2026-03-01 07:00"}));
}

}  // namespace
