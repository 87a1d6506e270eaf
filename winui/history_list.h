// The history's list: a virtual list view (LVS_OWNERDATA) over the history table. The list
// stores no rows; it asks for the text of each cell it draws, so a million readings cost no
// more than the screenful shown.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <span>
#include <string>

#include "archive/history_table.h"
#include "list_rows.h"

namespace winui {

class HistoryList final : public ListRows {
 public:
  // The dialog's list view, whose template has LVS_REPORT and LVS_OWNERDATA.
  HistoryList(HWND list, archive::HistoryTable& table) : ListRows(list), table_(table) {}

  // The columns (kHistoryHeadings), as wide as the display scale (dpi) needs, with the newest
  // first marked on the date's heading.
  void AddColumns(UINT dpi) const;
  void SetDpi(UINT dpi) const;

  // The table's rows have changed: the list shows them anew, with nothing selected, from the
  // top, or where it was (the same filter, read again).
  enum class Place { Top, Kept };
  void ShowRows(Place place = Place::Top) const;

  // LVN_GETDISPINFOW: copies the cell's text into the list's buffer.
  void OnGetDisplayInfo(NMLVDISPINFOW& info) const;
  // LVN_COLUMNCLICK: sorts by the column, ascending; again, the other way.
  void OnColumnClick(int column);

  std::size_t RowCount() const override { return table_.RowCount(); }
  CopiedRows Copy(std::span<const std::size_t> rows) const override;
  wandlink::DownloadLog ExportedLog() const override { return table_.ShownLog(); }

 private:
  // The arrow on the sorted column's heading, none on the others.
  void MarkSortedColumn() const;

  archive::HistoryTable& table_;
  archive::HistoryColumn sortColumn_ = archive::HistoryColumn::Date;
  bool ascending_ = false;
};

}  // namespace winui
