// The records list: a virtual list view (LVS_OWNERDATA) over the log of the last complete
// download. The list stores no rows; it asks for the text of each cell it draws, so a full
// wand's 60001 rows are shown at once and only the visible ones cost anything.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <span>
#include <string>

#include "list_rows.h"
#include "wandlink/download_log.h"

namespace winui {

class RecordsList final : public ListRows {
 public:
  // The dialog's list view, whose template has LVS_REPORT and LVS_OWNERDATA.
  explicit RecordsList(HWND list) : ListRows(list) {}

  // The four columns: sequence, wand number, date and button number, as wide as the display
  // scale (dpi) needs.
  void AddColumns(UINT dpi) const;
  // The columns' widths for another scale.
  void SetDpi(UINT dpi) const;

  void SetLog(wandlink::DownloadLog log);
  void Clear() { SetLog({}); }
  const wandlink::DownloadLog& Log() const { return log_; }

  std::size_t RowCount() const override { return log_.RowCount(); }
  CopiedRows Copy(std::span<const std::size_t> rows) const override;
  wandlink::DownloadLog ExportedLog() const override { return log_; }

  // LVN_GETDISPINFOW: copies the cell's text into the list's buffer.
  void OnGetDisplayInfo(NMLVDISPINFOW& info) const;

 private:
  int ColumnWidth(int column, UINT dpi) const;

  wandlink::DownloadLog log_;
};

}  // namespace winui
