// The window's thread as a download's thread reaches it, through the window's messages.
//
// Run sends a message, so the caller waits while the window's thread carries the work out;
// Windows delivers a message sent from another thread whenever the window's thread takes its
// messages, in any loop, a message box's included. RunLater posts a message that starts a
// timer on the window's thread. Work waiting for its timer is held here, not in a message, so
// whatever is still waiting when the window is destroyed is simply dropped with it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>

#include "wandlink/coalesced_controls.h"

namespace winui {

class Win32WindowThread final : public wandlink::WindowThread {
 public:
  // From the window's creation to its destruction; work outside that time is dropped.
  void Attach(HWND window);
  void Detach();

  void Run(const std::function<void()>& work) override;
  void RunLater(std::chrono::milliseconds delay, std::function<void()> work) override;

  // The window's procedure passes each message here first; true when it was one of these.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void RunDue(UINT_PTR timer);

  std::mutex mutex_;
  HWND window_ = nullptr;
  UINT_PTR nextTimer_ = 1;
  std::map<UINT_PTR, std::function<void()>> waiting_;
};

}  // namespace winui
