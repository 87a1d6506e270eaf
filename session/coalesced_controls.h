// How a window carries out the download's control operations without holding it back.
//
// Progress and count updates come once per record, far faster than anyone can read them. They
// do not wait: the latest values are kept and the window shows them at most every
// kRefreshInterval. Every other operation (showing or hiding a control, giving the button back,
// the rows, a message) is one the user sees the order of: it waits, as a synchronous window
// message would, and first shows whatever update was issued before it. So the count label and
// the bar always end on exactly the values the download last set.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "wandlink/download_controls.h"

namespace wandlink {

// The window's thread, as the worker reaches it.
class WindowThread {
 public:
  virtual ~WindowThread() = default;

  // Runs the work on the window's thread and returns once it is done.
  virtual void Run(const std::function<void()>& work) = 0;

  // Runs the work on the window's thread once the delay has passed, without waiting for it.
  // Dropped when the window is gone by then.
  virtual void RunLater(std::chrono::milliseconds delay, std::function<void()> work) = 0;
};

class CoalescedControls final : public DownloadControls {
 public:
  static constexpr std::chrono::milliseconds kRefreshInterval{30};

  // onWindow carries each operation out at once; it is only ever called on the window's thread.
  // Both must outlive every download that drives these controls.
  CoalescedControls(DownloadControls& onWindow, WindowThread& window)
      : onWindow_(onWindow), window_(window) {}

  void SetProgress(int position) override;
  void SetCountText(const std::string& text) override;

  void HideProgress() override;
  void ShowCount() override;
  void HideCount() override;
  void EnableCollect() override;
  void ShowRecords(DownloadLog log) override;
  void ShowMessage(const std::string& text) override;

 private:
  using Clock = std::chrono::steady_clock;

  struct Pending {
    std::optional<int> progress;
    std::optional<std::string> countText;
  };

  // Asks the window for a refresh unless one is already asked for.
  void RequestRefresh(std::unique_lock<std::mutex>& lock);
  // On the window's thread: shows the latest updates not yet shown.
  void Refresh();
  // On the window's thread, after every update issued before it.
  void InOrder(const std::function<void()>& operation);

  DownloadControls& onWindow_;
  WindowThread& window_;
  std::mutex mutex_;
  Pending pending_;
  bool refreshRequested_ = false;
  Clock::time_point lastRefresh_{};
};

}  // namespace wandlink
