// The log of one complete download, as the records table shows it.
//
// Row i has four texts: the sequence number i + 1, the wand number (the same on every row),
// the time stamp of record i and its button number; the archive's history adds two, the row's
// guard and checkpoint. The texts are made when a cell is asked for, so handing over a
// 60001-record log costs one move.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace wandlink {

inline constexpr int kColumnCount = 4;

// UTF-8 headings of the sequence, wand number, date and button number columns.
inline constexpr std::array<std::string_view, kColumnCount> kColumnHeadings = {"序号", "棒号",
                                                                               "日期", "钮号"};
// A log with the name columns: the four, then 巡检员 (the wand's guard) and 巡检点 (the
// button's checkpoint).
inline constexpr int kNamedColumnCount = 6;
inline constexpr std::array<std::string_view, kNamedColumnCount> kNamedColumnHeadings = {
    "序号", "棒号", "日期", "钮号", "巡检员", "巡检点"};

struct DownloadLog {
  WandNumberText wandNumber{};
  // When the log was read: the local time the wand's clock was set to.
  LocalTime readAt{};
  std::vector<TimeText> timeStamps;
  std::vector<ButtonNumberText> buttonNumbers;
  // Each record's frame as received, which the archive keeps and knows a reading again by.
  std::vector<WandRecord> frames;
  MonthMode monthMode = MonthMode::Bcd;
  // A table of several wands' readings (the archive's history) gives each row its own wand
  // number; empty: every row is wandNumber's.
  std::vector<WandNumberText> rowWandNumbers;
  // The name columns: each row's guard and checkpoint as a position in names, which holds
  // each name once (a million rows name a few hundred people and places); names[0] is the
  // empty text of a number without a name. No names: the log has the four columns only.
  std::vector<std::string> names;
  std::vector<std::uint32_t> rowGuards;
  std::vector<std::uint32_t> rowPlaces;

  std::size_t RowCount() const { return timeStamps.size(); }
  bool HasNameColumns() const { return !names.empty(); }
  int ColumnCount() const { return HasNameColumns() ? kNamedColumnCount : kColumnCount; }
  std::string_view Heading(int column) const {
    return kNamedColumnHeadings.at(static_cast<std::size_t>(column));
  }
  // A row's guard or checkpoint; empty without one.
  std::string_view GuardName(std::size_t row) const { return NameAt(rowGuards, row); }
  std::string_view PlaceName(std::size_t row) const { return NameAt(rowPlaces, row); }

  // The text of a cell; an empty text outside the table.
  std::string CellText(std::size_t row, int column) const;

 private:
  std::string_view NameAt(const std::vector<std::uint32_t>& column, std::size_t row) const {
    return row < column.size() && column[row] < names.size() ? names[column[row]]
                                                             : std::string_view();
  }
};

}  // namespace wandlink
