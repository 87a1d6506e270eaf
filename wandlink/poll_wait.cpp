#include "poll_wait.h"

#include <cerrno>

namespace wandlink {

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
