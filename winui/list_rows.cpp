#include "list_rows.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>

namespace winui {
namespace {

// LVM_GETNEXTITEM and LVM_SETITEMSTATE: from the first row; every row.
constexpr WPARAM kAllRows = static_cast<WPARAM>(-1);

}  // namespace

std::vector<std::size_t> ListRows::SelectedRows() const {
  std::vector<std::size_t> rows;
  rows.reserve(static_cast<std::size_t>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0)));
  for (LRESULT row = SendMessageW(list_, LVM_GETNEXTITEM, kAllRows, LVNI_SELECTED); row >= 0;
       row = SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(row));
  }
  return rows;
}

void ListRows::SelectAll() const {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendMessageW(list_, LVM_SETITEMSTATE, kAllRows, reinterpret_cast<LPARAM>(&item));
}

POINT ListRows::KeyboardMenuPoint() const {
  POINT point{0, 0};
  const LRESULT focused = SendMessageW(list_, LVM_GETNEXTITEM, kAllRows, LVNI_FOCUSED);
  RECT client{};
  GetClientRect(list_, &client);
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (focused >= 0 &&
      SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                   reinterpret_cast<LPARAM>(&row)) != 0 &&
      row.bottom > client.top && row.bottom <= client.bottom) {
    point = {std::max(row.left, client.left), row.bottom};
  }
  ClientToScreen(list_, &point);
  return point;
}

void InsertListColumn(HWND list, int column, std::wstring heading, int width) {
  LVCOLUMNW format{};
  format.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  format.fmt = LVCFMT_LEFT;
  format.cx = width;
  format.pszText = heading.data();
  format.iSubItem = column;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&format));
}

}  // namespace winui
