#include "stop_signal.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "poll_wait.h"

namespace wandlink {
namespace {

std::atomic<const StopSignal*> stopOnSignal{nullptr};

void RequestStopOnSignal(int) {
  if (const StopSignal* stop = stopOnSignal.load()) {
    stop->Request();
  }
}

}  // namespace

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!fd_.Valid()) {
    std::perror("wandlink: eventfd");
    std::abort();
  }
}

void StopSignal::Request() const {
  const std::uint64_t one = 1;
  // A full counter is already readable, so a failed write still leaves the flag raised.
  [[maybe_unused]] const auto written = ::write(fd_.Get(), &one, sizeof one);
}

bool StopSignal::Requested() const {
  pollfd watch{fd_.Get(), POLLIN, 0};
  return ::poll(&watch, 1, 0) > 0;
}

bool StopSignal::SleepFor(std::chrono::milliseconds duration) const {
  pollfd watch{fd_.Get(), POLLIN, 0};
  return PollUntil({&watch, 1}, std::chrono::steady_clock::now() + duration) == 0;
}

std::shared_ptr<const StopSignal> StopOnTerminationSignals() {
  // Never destroyed: a handler may run at any moment until the process is gone.
  alignas(StopSignal) static unsigned char storage[sizeof(StopSignal)];
  static const StopSignal* const stop = new (storage) StopSignal;
  stopOnSignal.store(stop);
  struct sigaction onSignal {};
  onSignal.sa_handler = RequestStopOnSignal;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    ::sigaction(signal, &onSignal, nullptr);
  }
  return std::shared_ptr<const StopSignal>(stop, [](const StopSignal*) {});
}

}  // namespace wandlink
