#include "reader_app.h"

int main(int argc, char** argv) {
  ui::ReaderApp app(argc, argv);
  return app.Run();
}
