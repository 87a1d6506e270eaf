#include "reader_app.h"

#include <commctrl.h>

#include <iostream>

#include "reader_dialog.h"

namespace winui {

BOOL ReaderApp::InitInstance() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_DATE_CLASSES;
  if (!InitCommonControlsEx(&classes)) {
    std::cerr << "Korvanta: the list view, progress bar and date picker classes are missing\n";
  }
  ReaderDialog dialog(instance_);
  dialog.DoModal();
  return FALSE;
}

}  // namespace winui
