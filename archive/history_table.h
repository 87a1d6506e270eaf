// The archive's readings as the history window and `wandread history` show them: each reading
// with its date, wand and guard, button and checkpoint, newest first, filtered and sorted in
// memory. The table keeps a few bytes a reading and makes a cell's text only when asked, so a
// window asks only for the rows on screen.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive.h"
#include "wandlink/download_log.h"
#include "wandlink/local_clock.h"
#include "wandlink/record.h"

namespace archive {

// The window's columns, in its order.
enum class HistoryColumn { Date, Wand, Guard, Button, Place };
inline constexpr int kHistoryColumnCount = 5;
inline constexpr std::array<std::string_view, kHistoryColumnCount> kHistoryHeadings = {
    "日期", "棒号", "巡检员", "钮号", "巡检点"};

// Which readings are shown; every field empty shows all.
struct HistoryFilter {
  // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM", both included.
  std::string from;
  std::string to;
  // A wand or button number as printed.
  std::string wand;
  std::string button;
  // A guard's or checkpoint's name: every wand or button that has it.
  std::string guard;
  std::string place;
};

// One entry of a filter's drop-down: its text and the filter's field it sets (both empty for
// the first entry, 全部).
struct FilterChoice {
  std::string text;
  std::string name;
  std::string number;
};

class HistoryTable {
 public:
  // Reads the archive's readings and names; a missing file reads as none. Throws SqliteError.
  void Load(const Archive& archive);
  // Adds the readings archived since, and reads the names anew; the filter and sort stay.
  void Refresh(const Archive& archive);

  void SetFilter(const HistoryFilter& filter);
  // Newest first is (Date, descending), the order after Load. Rows equal in the column keep
  // newest first.
  void SortBy(HistoryColumn column, bool ascending);

  // The rows the filter selects, and all the table holds.
  std::size_t RowCount() const;
  std::size_t TotalCount() const;
  // The text of a shown row's cell; empty outside the rows. Valid until the next Load,
  // Refresh, SetFilter or SortBy.
  std::string_view Cell(std::size_t row, HistoryColumn column) const;

  // 全部 first, then each name (its wands or buttons together), then each number without one.
  std::vector<FilterChoice> GuardChoices() const;
  std::vector<FilterChoice> PlaceChoices() const;

  // The given shown rows (all, in the shown order, when none are given) as a log for the
  // exports and the clipboard, with each row's wand and the two name columns.
  wandlink::DownloadLog ShownLog(std::span<const std::size_t> rows = {}) const;

 private:
  struct Reading {
    wandlink::TimeText time;
    std::uint32_t wand;
    std::uint32_t button;
  };
  std::vector<Reading> readings_;
  std::vector<wandlink::WandNumberText> wands_;
  std::vector<wandlink::ButtonNumberText> buttons_;
  std::vector<std::string> guardNames_;
  std::vector<std::string> placeNames_;
  std::vector<std::uint32_t> shown_;
};

// "共 N 条"
std::string HistoryCountText(std::size_t count);

// The days "last night" spans, yesterday's and today's, as "YYYY-MM-DD".
struct DateRange {
  std::string from;
  std::string to;
};
DateRange LastNight(const wandlink::LocalTime& now);

}  // namespace archive
