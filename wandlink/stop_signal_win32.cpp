#include "stop_signal.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "deadline.h"

namespace wandlink {
namespace {

std::atomic<const StopSignal*> stopOnSignal{nullptr};

BOOL WINAPI RequestStopOnControl(DWORD control) {
  const StopSignal* stop = stopOnSignal.load();
  if (stop == nullptr) {
    return FALSE;
  }
  stop->Request();
  if (control != CTRL_C_EVENT && control != CTRL_BREAK_EVENT) {
    // Closing the console (or logging off) ends the process as soon as this handler returns:
    // hold on, so that main closes the port and returns first; the system ends the process then,
    // or after its grace period.
    ::Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

StopSignal::StopSignal() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!event_) {
    std::fprintf(stderr, "wandlink: CreateEvent failed (%lu)\n", ::GetLastError());
    std::abort();
  }
}

void StopSignal::Request() const {
  ::SetEvent(event_.get());
}

bool StopSignal::Requested() const {
  return ::WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0;
}

bool StopSignal::SleepFor(std::chrono::milliseconds duration) const {
  const Deadline deadline = std::chrono::steady_clock::now() + duration;
  // A timed wait may end a clock tick early; the deadline decides.
  for (int left = MillisecondsUntil(deadline); left > 0; left = MillisecondsUntil(deadline)) {
    if (::WaitForSingleObject(event_.get(), static_cast<DWORD>(left)) != WAIT_TIMEOUT) {
      return false;
    }
  }
  return !Requested();
}

std::shared_ptr<const StopSignal> StopOnTerminationSignals() {
  // Never destroyed: a control handler may run at any moment until the process is gone.
  alignas(StopSignal) static unsigned char storage[sizeof(StopSignal)];
  static const StopSignal* const stop = new (storage) StopSignal;
  stopOnSignal.store(stop);
  ::SetConsoleCtrlHandler(RequestStopOnControl, TRUE);
  return std::shared_ptr<const StopSignal>(stop, [](const StopSignal*) {});
}

}  // namespace wandlink
