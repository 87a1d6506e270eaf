#include "window_controls.h"

#include "window_thread.h"

namespace ui {

void WindowControls::OnWindowThread(const std::function<void()>& operation) const {
  RunOnWindowThread(controls_.window, operation);
}

void WindowControls::SetProgress(int position) {
  OnWindowThread([&] { controls_.progress->setValue(position); });
}

void WindowControls::HideProgress() {
  OnWindowThread([&] { controls_.progress->hide(); });
}

void WindowControls::SetCountText(const std::string& text) {
  OnWindowThread([&] { controls_.count->setText(QString::fromStdString(text)); });
}

void WindowControls::ShowCount() {
  OnWindowThread([&] { controls_.count->show(); });
}

void WindowControls::HideCount() {
  OnWindowThread([&] { controls_.count->hide(); });
}

void WindowControls::EnableCollect() {
  OnWindowThread([&] { controls_.collect->setEnabled(true); });
}

void WindowControls::ShowRecords(wandlink::DownloadLog log) {
  OnWindowThread([&] { controls_.records->SetLog(std::move(log)); });
}

void WindowControls::ShowMessage(const std::string& text) {
  OnWindowThread([&] { controls_.presentMessage(controls_.window, QString::fromStdString(text)); });
}

}  // namespace ui
