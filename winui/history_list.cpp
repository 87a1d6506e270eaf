#include "history_list.h"

#include <numeric>
#include <vector>

#include "display_scale.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// At 100 % (96 dpi), in the columns' order: a date with its time, a wand number, a name, a
// button number, a name.
constexpr int kColumnWidths[archive::kHistoryColumnCount] = {120, 50, 110, 80, 170};

// LVM_SETITEMSTATE: every row.
constexpr WPARAM kAllRows = static_cast<WPARAM>(-1);

}  // namespace

void HistoryList::AddColumns(UINT dpi) const {
  for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
    InsertListColumn(list_, column,
                     wandlink::Widen(archive::kHistoryHeadings[static_cast<std::size_t>(column)]),
                     ScaleToDpi(kColumnWidths[column], dpi));
  }
  MarkSortedColumn();
}

void HistoryList::SetDpi(UINT dpi) const {
  for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(ScaleToDpi(kColumnWidths[column], dpi), 0));
  }
}

void HistoryList::ShowRows(Place place) const {
  // The rows a selection named are other readings now.
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, kAllRows, reinterpret_cast<LPARAM>(&item));
  SendMessageW(list_, LVM_SETITEMCOUNT, table_.RowCount(),
               place == Place::Kept ? LVSICF_NOSCROLL : 0);
  if (place == Place::Top && table_.RowCount() > 0) {
    SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
  }
}

// Copied into the list's own buffer: the table's text stays valid only until it changes.
void HistoryList::OnGetDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
    return;
  }
  const bool inTable =
      item.iItem >= 0 && item.iSubItem >= 0 && item.iSubItem < archive::kHistoryColumnCount;
  const std::wstring text =
      inTable ? wandlink::Widen(table_.Cell(static_cast<std::size_t>(item.iItem),
                                            static_cast<archive::HistoryColumn>(item.iSubItem)))
              : std::wstring();
  lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

void HistoryList::OnColumnClick(int column) {
  if (column < 0 || column >= archive::kHistoryColumnCount) {
    return;
  }
  const auto clicked = static_cast<archive::HistoryColumn>(column);
  ascending_ = clicked == sortColumn_ ? !ascending_ : true;
  sortColumn_ = clicked;
  table_.SortBy(sortColumn_, ascending_);
  MarkSortedColumn();
  ShowRows();
}

void HistoryList::MarkSortedColumn() const {
  const auto header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == static_cast<int>(sortColumn_)) {
      item.fmt |= ascending_ ? HDF_SORTUP : HDF_SORTDOWN;
    }
    SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
  }
}

// The rows renumbered from 1 in the shown order, with their names, as every history output has
// them.
CopiedRows HistoryList::Copy(std::span<const std::size_t> rows) const {
  const wandlink::DownloadLog log = table_.ShownLog(rows);
  std::vector<std::size_t> all(log.RowCount());
  std::iota(all.begin(), all.end(), std::size_t{0});
  return {wandlink::LogRowsText(log, all, wandlink::kTabSeparatedCrlf),
          wandlink::LogRowsHtml(log, all)};
}

}  // namespace winui
