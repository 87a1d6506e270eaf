#include "winui/records_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "logfile/log_text.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// The widest text each column shows: a full wand's last sequence number, and wand numbers,
// dates and button numbers in the digits that draw widest; and the room the list leaves around
// a cell's text at 100 %.
constexpr const wchar_t* kWidestCells[wandlink::kColumnCount] = {L"60001", L"FFFF",
                                                                 L"2026-12-28 23:59", L"FFFFFFFF"};
constexpr int kCellPadding = 12;

// The list at a display scale: its window, with the dialogs' font 宋体 9 point at that scale.
class ListAtScale {
 public:
  explicit ListAtScale(UINT dpi)
      : font_(CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                          FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体")),
        parent_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 400, nullptr, nullptr,
                                nullptr, nullptr)),
        window_(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                                800, 400, parent_, nullptr, nullptr, nullptr)) {
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  ~ListAtScale() {
    DestroyWindow(parent_);
    DeleteObject(font_);
  }
  HWND Window() const { return window_; }
  int TextWidth(const std::wstring& text) const {
    return static_cast<int>(
        SendMessageW(window_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }

 private:
  HFONT font_;
  HWND parent_;
  HWND window_;
};

// At 100 %, 125 %, 150 % and 200 %, measured with the list's own LVM_GETSTRINGWIDTH.
TEST(RecordsListOnWindows, EveryHeadingAndTheWidestCellsFitTheirColumnsAtEveryScale) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&controls));
  for (const UINT dpi : {96u, 120u, 144u, 192u}) {
    const ListAtScale list(dpi);
    ASSERT_NE(list.Window(), nullptr) << GetLastError();
    RecordsList(list.Window()).AddColumns(dpi);
    for (int column = 0; column < wandlink::kColumnCount; ++column) {
      const int width =
          static_cast<int>(SendMessageW(list.Window(), LVM_GETCOLUMNWIDTH, column, 0));
      const std::wstring heading =
          wandlink::Widen(wandlink::kColumnHeadings[static_cast<std::size_t>(column)]);
      const int widest = std::max(list.TextWidth(heading), list.TextWidth(kWidestCells[column]));
      EXPECT_LE(widest + kCellPadding * static_cast<int>(dpi) / 96, width)
          << "column " << column << " at " << dpi << " dpi";
    }
  }
}

}  // namespace
}  // namespace winui
