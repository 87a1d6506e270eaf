#include "reader_app.h"

#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>

#include "app_icon.h"
#include "dialog_font.h"
#include "reader_dialog.h"
#include "res/version_info.h"
#include "wandlink/stop_signal.h"

namespace ui {

ReaderApp::ReaderApp(int& argc, char** argv) : QApplication(argc, argv) {
  SubstituteSongFace();
}

bool ReaderApp::InitInstance() {
  const auto endRequested = wandlink::StopOnTerminationSignals();
  ReaderDialog dialog;
  QSocketNotifier onRequest(endRequested->Fd(), QSocketNotifier::Read);
  connect(&onRequest, &QSocketNotifier::activated, &dialog, [&onRequest, &dialog] {
    // The request stays raised: one close is enough.
    onRequest.setEnabled(false);
    CloseOnRequest(dialog);
  });
  dialog.exec();
  return false;
}

void ReaderApp::CloseOnRequest(ReaderDialog& dialog) {
  QList<QPointer<QDialog>> over;
  for (QWidget* window : topLevelWidgets()) {
    auto* other = qobject_cast<QDialog*>(window);
    if (other != nullptr && other != &dialog && other->isVisible()) {
      over.push_back(other);
    }
  }
  // Asked for first, so that nothing a dismissed box leads to starts a download.
  dialog.reject();
  for (const QPointer<QDialog>& other : over) {
    if (other) {
      other->reject();
    }
  }
}

}  // namespace ui
