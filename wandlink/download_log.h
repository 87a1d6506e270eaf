// The log of one complete download, as the records table shows it.
//
// Row i has four texts: the sequence number i + 1, the wand number (the same on every row),
// the time stamp of record i and its button number. The texts are made when a cell is asked
// for, so handing over a 60001-record log costs one move.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace wandlink {

inline constexpr int kColumnCount = 4;

// UTF-8 headings of the sequence, wand number, date and button number columns.
inline constexpr std::array<std::string_view, kColumnCount> kColumnHeadings = {"序号", "棒号",
                                                                               "日期", "钮号"};

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

  std::size_t RowCount() const { return timeStamps.size(); }

  // The text of a cell; an empty text outside the table.
  std::string CellText(std::size_t row, int column) const;
};

}  // namespace wandlink
