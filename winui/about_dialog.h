// The About box (IDD_ABOUTBOX): the icon, the program and its version, the copyright line and
// 确定, which closes it. Modal over the window that owns it.
#pragma once

#include <windows.h>

namespace winui {

class AboutDialog {
 public:
  explicit AboutDialog(HINSTANCE instance) : instance_(instance) {}

  // Returns once the box is closed.
  void DoModal(HWND owner) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
};

}  // namespace winui
