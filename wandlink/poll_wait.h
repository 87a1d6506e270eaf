// The one place where the wand link waits on descriptors against a deadline (POSIX).
#pragma once

#include <poll.h>

#include <span>

#include "deadline.h"

namespace wandlink {

// poll() until one of the descriptors is ready or the deadline passes, resuming after a
// signal. Returns the number of ready descriptors (0 at the deadline) or -1 on a real error.
int PollUntil(std::span<pollfd> fds, Deadline deadline);

}  // namespace wandlink
