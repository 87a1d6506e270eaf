// The window's thread as a download's thread reaches it, through the window's messages.
//
// Run sends a message, so the caller waits while the window's thread carries the work out;
// Windows delivers a message sent from another thread whenever the window's thread takes its
// messages, in any loop, a message box's included. RunLater posts a message that starts a
// timer on the window's thread. The work itself, and its delay, are held here, not in a
// message: a message only names work that was handed over here, and one that names nothing
// does nothing. So whatever is still waiting when the window is destroyed is simply dropped
// with it.
//
// Any program on the desktop may post or send the window these messages. So the name is a
// random 64-bit ticket that no other program can guess, work a Run waits on is carried out only
// by a sent message (never a posted one), each ticket serves once, and scheduled work runs only
// by its own timer once its delay has passed.
#pragma once

#include <windows.h>

#include <cstdint>
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
  using Ticket = std::uint64_t;

  struct Scheduled {
    UINT delay;
    std::function<void()> work;
    // Set once its timer runs: the work is not due before.
    ULONGLONG due = 0;
  };

  // A ticket that names no work handed over yet.
  template <typename Work>
  Ticket NewTicket(const std::map<Ticket, Work>& taken);
  void RunHandedOver(Ticket ticket);
  void StartTimer(Ticket ticket);
  void RunDue(UINT_PTR timer);

  std::mutex mutex_;
  HWND window_ = nullptr;
  // Work a Run call waits on, by the ticket its message carries.
  std::map<Ticket, const std::function<void()>*> handedOver_;
  // Work RunLater scheduled, by the ticket its message carries until its timer starts.
  std::map<Ticket, Scheduled> waiting_;
  // Work whose timer runs, by the timer.
  UINT_PTR nextTimer_ = 1;
  std::map<UINT_PTR, Scheduled> timed_;
};

}  // namespace winui
