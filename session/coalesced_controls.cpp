#include "coalesced_controls.h"

#include <algorithm>
#include <utility>

namespace wandlink {

void CoalescedControls::SetProgress(int position) {
  std::unique_lock lock(mutex_);
  pending_.progress = position;
  RequestRefresh(lock);
}

void CoalescedControls::SetCountText(const std::string& text) {
  std::unique_lock lock(mutex_);
  pending_.countText = text;
  RequestRefresh(lock);
}

void CoalescedControls::RequestRefresh(std::unique_lock<std::mutex>& lock) {
  if (refreshRequested_) {
    return;
  }
  refreshRequested_ = true;
  const auto sinceLast = Clock::now() - lastRefresh_;
  const auto delay =
      std::max(std::chrono::milliseconds::zero(),
               std::chrono::ceil<std::chrono::milliseconds>(kRefreshInterval - sinceLast));
  lock.unlock();
  window_.RunLater(delay, [this] { Refresh(); });
}

void CoalescedControls::Refresh() {
  Pending shown;
  {
    std::lock_guard lock(mutex_);
    shown = std::exchange(pending_, {});
    refreshRequested_ = false;
    lastRefresh_ = Clock::now();
  }
  if (shown.countText) {
    onWindow_.SetCountText(*shown.countText);
  }
  if (shown.progress) {
    onWindow_.SetProgress(*shown.progress);
  }
}

void CoalescedControls::InOrder(const std::function<void()>& operation) {
  window_.Run([&] {
    Refresh();
    operation();
  });
}

void CoalescedControls::HideProgress() {
  InOrder([&] { onWindow_.HideProgress(); });
}

void CoalescedControls::ShowCount() {
  InOrder([&] { onWindow_.ShowCount(); });
}

void CoalescedControls::HideCount() {
  InOrder([&] { onWindow_.HideCount(); });
}

void CoalescedControls::EnableCollect() {
  InOrder([&] { onWindow_.EnableCollect(); });
}

void CoalescedControls::ShowRecords(DownloadLog log) {
  InOrder([&] { onWindow_.ShowRecords(std::move(log)); });
}

void CoalescedControls::ShowMessage(const std::string& text) {
  InOrder([&] { onWindow_.ShowMessage(text); });
}

}  // namespace wandlink
