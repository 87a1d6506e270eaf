// The history's list over a real archive (the prefix's stand-in winsqlite3.dll): a click on a
// heading sorts by its column and a second click reverses it, the date's first click too (the
// list starts newest first), with the arrow on the sorted heading only; and the rows copied are
// the ones selected, in the shown order, renumbered, with their names.
#include "winui/history_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_setting.h"
#include "archive/names.h"
#include "wand_log.h"

namespace winui {
namespace {

using archive::HistoryColumn;

wandlink::DownloadLog Download(const char* wand, const std::vector<wandlink::WandRecord>& frames) {
  const wandlink::LocalTime readAt{2026, 3, 9, 12, 0};
  wandlink::DownloadLog log{.wandNumber = {}, .readAt = readAt, .frames = frames};
  std::copy_n(wand, 4, log.wandNumber.begin());
  for (const wandlink::WandRecord& frame : frames) {
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [&] { return readAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  return log;
}

wandlink::WandRecord Reading(int day, std::uint32_t button) {
  return wandsim::MakeRecord({2026, 3, day, 8, 0}, button, wandlink::MonthMode::Bcd);
}

class HistoryListTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    folder_ = std::filesystem::path(testing::TempDir()) / "history_list_test";
    std::filesystem::remove_all(folder_);
    const std::optional<archive::Archive> found = archive::ArchiveAt(folder_ / "archive.sqlite");
    ASSERT_TRUE(found) << "no winsqlite3.dll";
    archive_ = *found;
    // Two wands, their days interleaved; one guard named.
    wandlink::DownloadLog first = Download("0BEE", {Reading(1, 0x11), Reading(3, 0x22)});
    wandlink::DownloadLog second = Download("12E4", {Reading(2, 0x33), Reading(4, 0x44)});
    ASSERT_EQ(archive::ArchiveDownload(archive_, first, "COM4").failure, "");
    ASSERT_EQ(archive::ArchiveDownload(archive_, second, "COM4").failure, "");
    archive::SetName(archive_, {"12E4", "李四"});
    table_.Load(archive_);
    parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                              nullptr, nullptr);
    window_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                              600, 400, parent_, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    std::filesystem::remove_all(folder_);
  }

  std::vector<std::string> Days() const {
    std::vector<std::string> days;
    for (std::size_t row = 0; row < table_.RowCount(); ++row) {
      days.emplace_back(table_.Cell(row, HistoryColumn::Date).substr(8, 2));
    }
    return days;
  }
  // The sort arrow of each heading: '+' up, '-' down, ' ' none.
  std::string Arrows() const {
    const auto header = reinterpret_cast<HWND>(SendMessageW(window_, LVM_GETHEADER, 0, 0));
    std::string arrows;
    for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
      arrows += (item.fmt & HDF_SORTUP) ? '+' : (item.fmt & HDF_SORTDOWN) ? '-' : ' ';
    }
    return arrows;
  }

  std::filesystem::path folder_;
  archive::Archive archive_;
  archive::HistoryTable table_;
  HWND parent_ = nullptr;
  HWND window_ = nullptr;
};

TEST_F(HistoryListTest, AHeadingSortsByItsColumnAndAgainTheOtherWay) {
  HistoryList list(window_, table_);
  list.AddColumns(96);
  list.ShowRows();
  EXPECT_EQ(Days(), (std::vector<std::string>{"04", "03", "02", "01"}));
  EXPECT_EQ(Arrows(), "-    ");
  struct Click {
    int column;
    std::vector<std::string> days;
    std::string arrows;
  };
  const Click clicks[] = {
      {0, {"01", "02", "03", "04"}, "+    "},
      {0, {"04", "03", "02", "01"}, "-    "},
      // Equal wands keep newest first.
      {1, {"03", "01", "04", "02"}, " +   "},
      {1, {"04", "02", "03", "01"}, " -   "},
      {3, {"01", "03", "02", "04"}, "   + "},
  };
  for (const Click& click : clicks) {
    list.OnColumnClick(click.column);
    EXPECT_EQ(Days(), click.days) << "column " << click.column;
    EXPECT_EQ(Arrows(), click.arrows) << "column " << click.column;
    EXPECT_EQ(SendMessageW(window_, LVM_GETITEMCOUNT, 0, 0), 4);
  }
}

TEST_F(HistoryListTest, CopiesTheSelectedRowsInTheShownOrderWithTheirNames) {
  HistoryList list(window_, table_);
  list.AddColumns(96);
  list.ShowRows();
  const std::size_t rows[] = {0, 2};
  const CopiedRows copied = list.Copy(rows);
  EXPECT_EQ(copied.text,
            "序号\t棒号\t日期\t钮号\t巡检员\t巡检点\r\n"
            "1\t12E4\t2026-03-04 08:00\t00000044\t李四\t\r\n"
            "2\t12E4\t2026-03-02 08:00\t00000033\t李四\t\r\n");
  EXPECT_NE(copied.html.find("李四"), std::string::npos);
}

}  // namespace
}  // namespace winui
