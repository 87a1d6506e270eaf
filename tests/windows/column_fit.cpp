// Checks from outside that the window's records list shows its texts whole: every heading and
// every cell of LOG (the collector's tab-separated output, heading line first) must fit its
// column of the window titled 测试Demo, with the room the list leaves around a text. Texts are
// measured with LVM_GETSTRINGWIDTH on a list view of this program's own in the dialogs' font,
// 宋体 9 point, at the display's scale, which is how the window's list draws them.
// Usage: column_fit.exe LOG. Prints each column's width and widest text; exit status 1 when a
// text does not fit or the list does not hold the log's rows.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "wandlink/win32_text.h"

namespace {

constexpr int kColumns = 4;
constexpr int kCellPadding = 12;

std::vector<std::vector<std::wstring>> ReadLog(const wchar_t* path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::vector<std::wstring>> lines;
  for (std::string line; std::getline(file, line);) {
    std::vector<std::wstring> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) {
      cells.push_back(wandlink::Widen(cell));
    }
    lines.push_back(std::move(cells));
  }
  return lines;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: column_fit.exe LOG\n");
    return 64;
  }
  // The display's own scale, not the 96 dpi an unaware program is shown.
  SetProcessDPIAware();
  const auto log = ReadLog(argv[1]);
  const HWND window = FindWindowW(nullptr, L"测试Demo");
  const HWND records = window == nullptr ? nullptr : GetDlgItem(window, res::IDC_RECORDS);
  if (records == nullptr || log.empty()) {
    std::fprintf(stderr, "column_fit: no records list, or an empty log\n");
    return 1;
  }
  const auto rows = SendMessageW(records, LVM_GETITEMCOUNT, 0, 0);
  if (rows != static_cast<LRESULT>(log.size() - 1)) {
    std::fprintf(stderr, "column_fit: the list holds %ld rows, the log %zu\n",
                 static_cast<long>(rows), log.size() - 1);
    return 1;
  }

  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr);
  const HWND measure = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 100, 100,
                                       parent, nullptr, nullptr, nullptr);
  const HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体");
  SendMessageW(measure, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  bool allFit = true;
  for (int column = 0; column < kColumns; ++column) {
    int widest = 0;
    for (const auto& line : log) {
      if (static_cast<int>(line.size()) > column) {
        widest = std::max(
            widest, static_cast<int>(SendMessageW(measure, LVM_GETSTRINGWIDTHW, 0,
                                                  reinterpret_cast<LPARAM>(line[column].c_str()))));
      }
    }
    const auto width = static_cast<int>(SendMessageW(records, LVM_GETCOLUMNWIDTH, column, 0));
    const int needed = widest + MulDiv(kCellPadding, dpi, 96);
    std::printf("%d dpi, column %d: %d px wide, its widest text needs %d px\n", dpi, column, width,
                needed);
    allFit = allFit && needed <= width;
  }
  DestroyWindow(parent);
  DeleteObject(font);
  return allFit ? 0 : 1;
}
