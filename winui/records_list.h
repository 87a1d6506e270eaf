// The records list: a virtual list view (LVS_OWNERDATA) over the log of the last complete
// download. The list stores no rows; it asks for the text of each cell it draws, so a full
// wand's 60001 rows are shown at once and only the visible ones cost anything.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "wandlink/download_log.h"

namespace winui {

class RecordsList {
 public:
  // The dialog's list view, whose template has LVS_REPORT and LVS_OWNERDATA.
  explicit RecordsList(HWND list) : list_(list) {}

  // The four columns: sequence, wand number, date and button number, as wide as the display
  // scale (dpi) needs.
  void AddColumns(UINT dpi) const;
  // The columns' widths for another scale.
  void SetDpi(UINT dpi) const;

  HWND Window() const { return list_; }

  void SetLog(wandlink::DownloadLog log);
  void Clear() { SetLog({}); }
  const wandlink::DownloadLog& Log() const { return log_; }

  // The selected rows, in ascending order.
  std::vector<std::size_t> SelectedRows() const;
  void SelectAll() const;
  // Where the list's menu opens from the keyboard, on the screen: below the focused row when it
  // is in view, else the list's top left corner.
  POINT KeyboardMenuPoint() const;

  // LVN_GETDISPINFOW: copies the cell's text into the list's buffer.
  void OnGetDisplayInfo(NMLVDISPINFOW& info) const;

 private:
  int ColumnWidth(int column, UINT dpi) const;

  HWND list_;
  wandlink::DownloadLog log_;
};

}  // namespace winui
