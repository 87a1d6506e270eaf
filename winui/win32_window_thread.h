// The window's thread as a download's thread reaches it, through the window's messages.
//
// Run sends a message, so the caller waits while the window's thread carries the work out;
// Windows delivers a message sent from another thread whenever the window's thread takes its
// messages, in any loop, a message box's included. RunLater posts a message that starts a
// timer on the window's thread. The work itself, and its delay, are held here, not in a
// message: a message only names work that was handed over here, and one that names nothing
// (sent by another program, say) does nothing. So whatever is still waiting when the window is
// destroyed is simply dropped with it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>

#include "session/coalesced_controls.h"

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
  struct Scheduled {
    UINT delay;
    std::function<void()> work;
  };

  void RunHandedOver(WPARAM ticket);
  void StartTimer(UINT_PTR timer);
  void RunDue(UINT_PTR timer);

  std::mutex mutex_;
  HWND window_ = nullptr;
  // Work a Run call waits on, by the ticket its message carries.
  WPARAM nextTicket_ = 1;
  std::map<WPARAM, const std::function<void()>*> handedOver_;
  UINT_PTR nextTimer_ = 1;
  std::map<UINT_PTR, Scheduled> waiting_;
};

}  // namespace winui
