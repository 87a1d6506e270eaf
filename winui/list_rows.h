// A report list view whose rows the list's menu (RecordsMenu) hands out: the selection and the
// place the menu opens at from the keyboard are the list view's own; what the rows hold, and
// how they are copied and exported, is the list's that derives from it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "wandlink/download_log.h"

namespace winui {

// The clipboard's two flavours of some rows.
struct CopiedRows {
  std::string text;
  std::string html;
};

// Adds a left-aligned column of the heading and width (pixels) to a report list view.
void InsertListColumn(HWND list, int column, std::wstring heading, int width);

class ListRows {
 public:
  explicit ListRows(HWND list) : list_(list) {}
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  HWND Window() const { return list_; }

  // The selected rows, in ascending order.
  std::vector<std::size_t> SelectedRows() const;
  void SelectAll() const;
  // Where the list's menu opens from the keyboard, on the screen: below the focused row when it
  // is in view, else the list's top left corner.
  POINT KeyboardMenuPoint() const;

  virtual std::size_t RowCount() const = 0;
  // The given shown rows as tab-separated text (CR LF, the heading line first) and as HTML.
  virtual CopiedRows Copy(std::span<const std::size_t> rows) const = 0;
  // Every shown row, as an export writes them.
  virtual wandlink::DownloadLog ExportedLog() const = 0;

 protected:
  ~ListRows() = default;

  HWND list_;
};

}  // namespace winui
