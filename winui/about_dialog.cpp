#include "about_dialog.h"

#include <iostream>

#include "centre_window.h"
#include "res/resource.h"

namespace winui {

void AboutDialog::DoModal(HWND owner) const {
  if (DialogBoxParamW(instance_, MAKEINTRESOURCEW(res::IDD_ABOUTBOX), owner, DialogProc, 0) == -1) {
    std::cerr << "Korvanta: the About box could not be created (error " << GetLastError() << ")\n";
  }
}

// The icon control shows icon IDR_MAINFRAME by itself: the template names it.
INT_PTR CALLBACK AboutDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace winui
