#include "window_controls.h"

#include <commctrl.h>

#include "wandlink/win32_text.h"

namespace winui {

void WindowControls::SetProgress(int position) {
  SendMessageW(controls_.progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void WindowControls::HideProgress() {
  ShowWindow(controls_.progress, SW_HIDE);
}

void WindowControls::SetCountText(const std::string& text) {
  SetWindowTextW(controls_.count, wandlink::Widen(text).c_str());
}

void WindowControls::ShowCount() {
  ShowWindow(controls_.count, SW_SHOW);
}

void WindowControls::HideCount() {
  ShowWindow(controls_.count, SW_HIDE);
}

void WindowControls::EnableCollect() {
  EnableWindow(controls_.collect, TRUE);
}

void WindowControls::ShowRecords(wandlink::DownloadLog log) {
  controls_.records->SetLog(std::move(log));
}

void WindowControls::ShowMessage(const std::string& text) {
  controls_.presentMessage(wandlink::Widen(text));
}

}  // namespace winui
