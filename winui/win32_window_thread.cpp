#include "win32_window_thread.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "private_messages.h"

namespace winui {
namespace {

// The ticket travels in both parameters, so it has 64 bits on the 32-bit program too.
WPARAM TicketLow(std::uint64_t ticket) {
  return static_cast<WPARAM>(ticket & 0xFFFFFFFFu);
}
LPARAM TicketHigh(std::uint64_t ticket) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>(ticket >> 32));
}
std::uint64_t TicketOf(WPARAM wParam, LPARAM lParam) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(lParam)) << 32) |
         static_cast<std::uint32_t>(wParam);
}

std::uint64_t RandomTicket() {
  std::uint64_t ticket = 0;
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&ticket), sizeof ticket,
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // A guessable ticket would let any program run the window's work: none is better.
    std::fputs("Korvanta: the system gave no random numbers\n", stderr);
    std::abort();
  }
  return ticket;
}

}  // namespace

void Win32WindowThread::Attach(HWND window) {
  std::lock_guard lock(mutex_);
  window_ = window;
}

void Win32WindowThread::Detach() {
  std::lock_guard lock(mutex_);
  window_ = nullptr;
  waiting_.clear();
  timed_.clear();
}

template <typename Work>
Win32WindowThread::Ticket Win32WindowThread::NewTicket(const std::map<Ticket, Work>& taken) {
  Ticket ticket = RandomTicket();
  while (ticket == 0 || taken.contains(ticket)) {
    ticket = RandomTicket();
  }
  return ticket;
}

void Win32WindowThread::Run(const std::function<void()>& work) {
  HWND window = nullptr;
  Ticket ticket = 0;
  {
    std::lock_guard lock(mutex_);
    window = window_;
    if (window == nullptr) {
      return;
    }
    // On the window's own thread the message would not come as a sent one: the work is done
    // here, as a message to its own window would do it.
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
      ticket = NewTicket(handedOver_);
      handedOver_.emplace(ticket, &work);
    }
  }
  if (ticket == 0) {
    work();
    return;
  }
  SendMessageW(window, kRunWorkMessage, TicketLow(ticket), TicketHigh(ticket));
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
  const Ticket ticket = NewTicket(waiting_);
  waiting_.emplace(ticket, Scheduled{static_cast<UINT>(milliseconds), std::move(work)});
  if (!PostMessageW(window_, kScheduleWorkMessage, TicketLow(ticket), TicketHigh(ticket))) {
    waiting_.erase(ticket);
  }
}

bool Win32WindowThread::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunWorkMessage:
      // A Run waits for its work in SendMessage; a posted message is nobody's.
      if ((InSendMessageEx(nullptr) & ISMEX_SEND) != 0) {
        RunHandedOver(TicketOf(wParam, lParam));
      }
      return true;
    case kScheduleWorkMessage:
      StartTimer(TicketOf(wParam, lParam));
      return true;
    case WM_TIMER:
      RunDue(wParam);
      return true;
    default:
      return false;
  }
}

void Win32WindowThread::RunHandedOver(Ticket ticket) {
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

void Win32WindowThread::StartTimer(Ticket ticket) {
  UINT_PTR timer = 0;
  UINT delay = 0;
  {
    std::lock_guard lock(mutex_);
    auto node = waiting_.extract(ticket);
    if (node.empty()) {
      return;
    }
    timer = nextTimer_++;
    delay = node.mapped().delay;
    node.mapped().due = GetTickCount64() + delay;
    timed_.emplace(timer, std::move(node.mapped()));
  }
  // Without a timer the work still runs, only sooner.
  if (delay == 0 || SetTimer(window_, timer, delay, nullptr) == 0) {
    {
      std::lock_guard lock(mutex_);
      timed_.at(timer).due = 0;
    }
    RunDue(timer);
  }
}

void Win32WindowThread::RunDue(UINT_PTR timer) {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    const auto scheduled = timed_.find(timer);
    // A timer message before the delay has passed is not the timer's own; should the timer
    // itself come a tick early, it comes again.
    if (scheduled == timed_.end() || GetTickCount64() < scheduled->second.due) {
      return;
    }
    work = std::move(scheduled->second.work);
    timed_.erase(scheduled);
  }
  KillTimer(window_, timer);
  work();
}

}  // namespace winui
