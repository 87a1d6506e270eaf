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
  {
    std::lock_guard lock(mutex_);
    window = window_;
  }
  if (window != nullptr) {
    SendMessageW(window, kRunWorkMessage, 0, reinterpret_cast<LPARAM>(&work));
  }
}

void Win32WindowThread::RunLater(std::chrono::milliseconds delay, std::function<void()> work) {
  const auto milliseconds = std::clamp<std::chrono::milliseconds::rep>(
      delay.count(), 0, std::numeric_limits<LONG>::max());
  std::lock_guard lock(mutex_);
  if (window_ == nullptr) {
    return;
  }
  const UINT_PTR timer = nextTimer_++;
  waiting_.emplace(timer, std::move(work));
  if (!PostMessageW(window_, kScheduleWorkMessage, timer, static_cast<LPARAM>(milliseconds))) {
    waiting_.erase(timer);
  }
}

bool Win32WindowThread::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunWorkMessage:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return true;
    case kScheduleWorkMessage:
      // Without a timer the work still runs, only sooner.
      if (lParam == 0 || SetTimer(window_, wParam, static_cast<UINT>(lParam), nullptr) == 0) {
        RunDue(wParam);
      }
      return true;
    case WM_TIMER:
      KillTimer(window_, wParam);
      RunDue(wParam);
      return true;
    default:
      return false;
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
    work = std::move(node.mapped());
  }
  work();
}

}  // namespace winui
