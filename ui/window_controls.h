// The download's controls on the window, carried out at once: only ever called on the window's
// thread (the download reaches them through wandlink::CoalescedControls).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

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
  WindowControlSet controls_;
};

}  // namespace ui
