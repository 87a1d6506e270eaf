// The application object: registers the common control classes the window uses and shows the
// window modally; the program ends when the window closes.
#pragma once

#include <windows.h>

namespace winui {

class ReaderApp {
 public:
  explicit ReaderApp(HINSTANCE instance) : instance_(instance) {}

  // Shows ReaderDialog modally. Returns FALSE: no message loop of the application's own is
  // run after it, so the program ends with the window.
  BOOL InitInstance();

 private:
  HINSTANCE instance_;
};

}  // namespace winui
