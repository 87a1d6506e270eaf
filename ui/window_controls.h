// The download's controls on the window: every operation is carried out on the window's
// thread while the download's thread waits for it, as a synchronous window message would.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "message_box.h"
#include "records_model.h"
#include "wandlink/download_controls.h"

namespace ui {

struct WindowControlSet {
  QWidget* window = nullptr;
  RecordsModel* records = nullptr;
  QProgressBar* progress = nullptr;
  QPushButton* collect = nullptr;
  QLabel* count = nullptr;
  MessagePresenter presentMessage;
};

class WindowControls final : public wandlink::DownloadControls {
 public:
  explicit WindowControls(WindowControlSet controls) : controls_(std::move(controls)) {}

  void SetProgress(int position) override;
  void HideProgress() override;
  void SetCountText(const std::string& text) override;
  void ShowCount() override;
  void HideCount() override;
  void EnableCollect() override;
  void ShowRecords(wandlink::DownloadLog log) override;
  void ShowMessage(const std::string& text) override;

 private:
  // Runs the operation on the window's thread and returns when it is done.
  void OnWindowThread(const std::function<void()>& operation) const;

  WindowControlSet controls_;
};

}  // namespace ui
