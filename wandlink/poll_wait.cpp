#include "poll_wait.h"

#include <cerrno>

namespace wandlink {

int MillisecondsUntil(Deadline deadline) {
  const auto left = deadline - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) {
    return 0;
  }
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

int PollUntil(std::span<pollfd> fds, Deadline deadline) {
  for (;;) {
    const int ready = ::poll(fds.data(), fds.size(), MillisecondsUntil(deadline));
    if (ready >= 0) {
      return ready;
    }
    if (errno != EINTR && errno != EAGAIN) {
      return -1;
    }
  }
}

}  // namespace wandlink
