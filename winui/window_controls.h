// The download's controls on the main dialog, carried out at once: only ever called on the
// window's thread (the download reaches them through wandlink::CoalescedControls).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "records_list.h"
#include "wandlink/download_controls.h"

namespace winui {

struct WindowControlSet {
  HWND progress = nullptr;
  HWND count = nullptr;
  HWND collect = nullptr;
  RecordsList* records = nullptr;
  // Shows a message and returns once the user has acknowledged it.
  std::function<void(const std::wstring& text)> presentMessage;
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

}  // namespace winui
