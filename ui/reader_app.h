// The application object: shows the main window modally and ends when it closes.
#pragma once

#include <QApplication>

namespace ui {

class ReaderDialog;

class ReaderApp : public QApplication {
  Q_OBJECT

 public:
  ReaderApp(int& argc, char** argv);

  // Shows ReaderDialog modally; returns false, so the program ends when the window closes.
  // SIGINT, SIGTERM and SIGHUP close the window as its close box does.
  bool InitInstance();

  // Runs InitInstance, and the event loop only if it asks for one.
  int Run() { return InitInstance() ? exec() : 0; }

 private:
  // The window's close for a request to end the program: the running download is cancelled and
  // waited for, so its port is closed and the line given back. Boxes and dialogs open over the
  // window are dismissed, since a close behind a box waits for it and nobody may be there to
  // acknowledge it.
  static void CloseOnRequest(ReaderDialog& dialog);
};

}  // namespace ui
