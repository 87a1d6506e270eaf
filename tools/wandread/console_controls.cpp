#include "console_controls.h"

namespace wandread {

void ConsoleControls::SetCountText(const std::string& text) {
  if (!showProgress_) {
    return;
  }
  std::fprintf(messages_, "\rrecords: %s", text.c_str());
  std::fflush(messages_);
  progressLineShown_ = true;
}

void ConsoleControls::HideCount() {
  ClearProgressLine();
}

void ConsoleControls::ShowMessage(const std::string& text) {
  ClearProgressLine();
  std::fprintf(messages_, "%s\n", text.c_str());
  std::fflush(messages_);
}

void ConsoleControls::ClearProgressLine() {
  if (progressLineShown_) {
    std::fputs("\r\033[K", messages_);
    progressLineShown_ = false;
  }
}

}  // namespace wandread
