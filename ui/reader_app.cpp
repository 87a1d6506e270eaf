#include "reader_app.h"

#include "app_icon.h"
#include "dialog_font.h"
#include "reader_dialog.h"
#include "res/version_info.h"

namespace ui {

ReaderApp::ReaderApp(int& argc, char** argv) : QApplication(argc, argv) {
  SubstituteSongFace();
}

bool ReaderApp::InitInstance() {
  ReaderDialog dialog;
  dialog.exec();
  return false;
}

}  // namespace ui
