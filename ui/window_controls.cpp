#include "window_controls.h"

namespace ui {

void WindowControls::SetProgress(int position) {
  controls_.progress->setValue(position);
}

void WindowControls::HideProgress() {
  controls_.progress->hide();
}

void WindowControls::SetCountText(const std::string& text) {
  controls_.count->setText(QString::fromStdString(text));
}

void WindowControls::ShowCount() {
  controls_.count->show();
}

void WindowControls::HideCount() {
  controls_.count->hide();
}

void WindowControls::EnableCollect() {
  controls_.collect->setEnabled(true);
}

void WindowControls::ShowRecords(wandlink::DownloadLog log) {
  controls_.records->SetLog(std::move(log));
}

void WindowControls::ShowMessage(const std::string& text) {
  controls_.presentMessage(controls_.window, QString::fromStdString(text));
}

}  // namespace ui
