// The archive's readings as the history window and `wandread history` show them: each reading
// with its date, wand and guard, button and checkpoint, newest first, filtered and sorted in
// memory. The table keeps a few bytes a reading and makes a cell's text only when asked, so a
// window asks only for the rows on screen.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive.h"
#include "wandlink/download_log.h"
#include "wandlink/local_clock.h"
#include "wandlink/record.h"

namespace archive {

class Database;

// The window's columns, in its order.
enum class HistoryColumn { Date, Wand, Guard, Button, Place };
inline constexpr int kHistoryColumnCount = 5;
inline constexpr std::array<std::string_view, kHistoryColumnCount> kHistoryHeadings = {
    "日期", "棒号", "巡检员", "钮号", "巡检点"};

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
  // Reads only the readings within the filter's dates, for a caller that wants one range once.
  void Load(const Archive& archive, const HistoryFilter& within);
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
  // A reading in 28 bytes: its time as the archive has it ("YYYY-MM-DD HH:MM", unterminated),
  // its wand and button as positions in the pools, and where it lies in the archive, which
  // orders readings of the same minute.
  struct Reading {
    std::array<char, 16> time;
    std::uint16_t wand;
    std::uint16_t position;
    std::uint32_t button;
    std::uint32_t log;
  };
  // Adds the readings the table has not read yet, and reads the names anew.
  void ReadNew(const Archive& archive);
  void ReadSnapshot(Database& db, std::vector<Reading>& added, std::vector<std::size_t>& runs);
  // Puts the readings read, each log's run of them at its start in runs, into the order.
  void MergeNew(std::vector<Reading> added, std::vector<std::size_t> runs);
  void Show();
  std::string_view TimeOf(const Reading& reading) const;

  // Newest first: time, then log, then position, descending.
  std::vector<Reading> readings_;
  std::vector<wandlink::WandNumberText> wands_;
  std::vector<wandlink::ButtonNumberText> buttons_;
  // Looked up by the text SQLite hands over, without copying it.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::uint16_t, TextHash, std::equal_to<>> wandIndex_;
  std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> buttonIndex_;
  // Each log's wand, and how far the table has read it.
  std::unordered_map<std::uint32_t, std::uint16_t> logWands_;
  std::unordered_map<std::uint32_t, std::uint32_t> logEnds_;
  // Every name the archive keeps, by number, and the name of each pooled wand and button.
  std::map<std::string, std::string> guardBook_;
  std::map<std::string, std::string> placeBook_;
  std::vector<std::string> guardNames_;
  std::vector<std::string> placeNames_;
  // The dates Load was limited to; every Refresh keeps to them.
  HistoryFilter within_;
  HistoryFilter filter_;
  HistoryColumn sortColumn_ = HistoryColumn::Date;
  bool ascending_ = false;
  // Positions in readings_, in the shown order.
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
