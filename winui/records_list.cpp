#include "records_list.h"

#include <algorithm>
#include <string>

#include "display_scale.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// At 100 % (96 dpi): the widths the window was laid out with, and the room the list leaves
// between a cell's text and its edges (as LVSCW_AUTOSIZE leaves it).
constexpr int kColumnWidths[wandlink::kColumnCount] = {40, 40, 110, 80};
constexpr int kCellPadding = 12;
// The widest text of each column: a full wand's last sequence number, and wand numbers, dates
// and button numbers in the characters that draw widest.
constexpr const wchar_t* kWidestCells[wandlink::kColumnCount] = {L"60001", L"FFFF",
                                                                 L"2026-12-28 23:59", L"FFFFFFFF"};

std::wstring Heading(int column) {
  return wandlink::Widen(wandlink::kColumnHeadings[static_cast<std::size_t>(column)]);
}

}  // namespace

void RecordsList::AddColumns(UINT dpi) const {
  for (int column = 0; column < wandlink::kColumnCount; ++column) {
    InsertListColumn(list_, column, Heading(column), ColumnWidth(column, dpi));
  }
}

// Scaled from 100 %, and wider still where the list's font draws its texts wider than that
// (fonts do not grow in proportion at every size).
int RecordsList::ColumnWidth(int column, UINT dpi) const {
  const auto textWidth = [this](const wchar_t* text) {
    return static_cast<int>(
        SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
  };
  const int widestText =
      std::max(textWidth(Heading(column).c_str()), textWidth(kWidestCells[column]));
  return std::max(ScaleToDpi(kColumnWidths[column], dpi),
                  widestText + ScaleToDpi(kCellPadding, dpi));
}

void RecordsList::SetDpi(UINT dpi) const {
  for (int column = 0; column < wandlink::kColumnCount; ++column) {
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(ColumnWidth(column, dpi), 0));
  }
}

void RecordsList::SetLog(wandlink::DownloadLog log) {
  log_ = std::move(log);
  // Without LVSICF_NOINVALIDATEALL every row is drawn anew, as the texts have all changed.
  SendMessageW(list_, LVM_SETITEMCOUNT, log_.RowCount(), 0);
}

// Copied into the list's own buffer: a pointer to text of ours would have to stay valid
// until two more of these notifications have come.
void RecordsList::OnGetDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
    return;
  }
  const std::wstring text =
      item.iItem < 0
          ? std::wstring()
          : wandlink::Widen(log_.CellText(static_cast<std::size_t>(item.iItem), item.iSubItem));
  lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

CopiedRows RecordsList::Copy(std::span<const std::size_t> rows) const {
  return {wandlink::LogRowsText(log_, rows, wandlink::kTabSeparatedCrlf),
          wandlink::LogRowsHtml(log_, rows)};
}

}  // namespace winui
