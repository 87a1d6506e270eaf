#include <windows.h>

#include "reader_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  winui::ReaderApp app(instance);
  // The window is the whole program: once it has closed, InitInstance returns FALSE and the
  // program ends.
  app.InitInstance();
  return 0;
}
