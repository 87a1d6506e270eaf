// The application object: shows the main window modally and ends when it closes.
#pragma once

#include <QApplication>

namespace ui {

class ReaderApp : public QApplication {
  Q_OBJECT

 public:
  ReaderApp(int& argc, char** argv);

  // Shows ReaderDialog modally; returns false, so the program ends when the window closes.
  bool InitInstance();

  // Runs InitInstance, and the event loop only if it asks for one.
  int Run() { return InitInstance() ? exec() : 0; }
};

}  // namespace ui
