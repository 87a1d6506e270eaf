#include "win32_window_thread.h"

#include <algorithm>
#include <limits>

#include "private_messages.h"

namespace winui {

void Win32WindowThread::Attach(HWND window) {
  std::lock_guard lock(mutex_);
  window_ = window;
}

void Win32WindowThread::Detach() {
  std::lock_guard lock(mutex_);
  window_ = nullptr;
  waiting_.clear();
}

void Win32WindowThread::Run(const std::function<void()>& work) {
  HWND window = nullptr;
  WPARAM ticket = 0;
  {
    std::lock_guard lock(mutex_);
    window = window_;
    ticket = nextTicket_++;
    handedOver_.emplace(ticket, &work);
  }
  if (window != nullptr) {
    SendMessageW(window, kRunWorkMessage, ticket, 0);
  }
  std::lock_guard lock(mutex_);
  handedOver_.erase(ticket);
}

void Win32WindowThread::RunLater(std::chrono::milliseconds delay, std::function<void()> work) {
  const auto milliseconds = std::clamp<std::chrono::milliseconds::rep>(
      delay.count(), 0, std::numeric_limits<LONG>::max());
  std::lock_guard lock(mutex_);
  if (window_ == nullptr) {
    return;
  }
  const UINT_PTR timer = nextTimer_++;
  waiting_.emplace(timer, Scheduled{static_cast<UINT>(milliseconds), std::move(work)});
  if (!PostMessageW(window_, kScheduleWorkMessage, timer, 0)) {
    waiting_.erase(timer);
  }
}

bool Win32WindowThread::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case kRunWorkMessage:
      RunHandedOver(wParam);
      return true;
    case kScheduleWorkMessage:
      StartTimer(wParam);
      return true;
    case WM_TIMER:
      KillTimer(window_, wParam);
      RunDue(wParam);
      return true;
    default:
      return false;
  }
}

void Win32WindowThread::RunHandedOver(WPARAM ticket) {
  const std::function<void()>* work = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto node = handedOver_.extract(ticket);
    if (node.empty()) {
      return;
    }
    work = node.mapped();
  }
  (*work)();
}

void Win32WindowThread::StartTimer(UINT_PTR timer) {
  UINT delay = 0;
  {
    std::lock_guard lock(mutex_);
    const auto scheduled = waiting_.find(timer);
    if (scheduled == waiting_.end()) {
      return;
    }
    delay = scheduled->second.delay;
  }
  // Without a timer the work still runs, only sooner.
  if (delay == 0 || SetTimer(window_, timer, delay, nullptr) == 0) {
    RunDue(timer);
  }
}

void Win32WindowThread::RunDue(UINT_PTR timer) {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    auto node = waiting_.extract(timer);
    if (node.empty()) {
      return;
    }
    work = std::move(node.mapped().work);
  }
  work();
}

}  // namespace winui
