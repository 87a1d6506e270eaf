// The one place where the wand link waits on descriptors against a deadline.
#pragma once

#include <poll.h>

#include <chrono>
#include <span>

namespace wandlink {

using Deadline = std::chrono::steady_clock::time_point;

// Milliseconds left until the deadline, rounded up so that a wait never ends early; 0 once
// it has passed.
int MillisecondsUntil(Deadline deadline);

// poll() until one of the descriptors is ready or the deadline passes, resuming after a
// signal. Returns the number of ready descriptors (0 at the deadline) or -1 on a real error.
int PollUntil(std::span<pollfd> fds, Deadline deadline);

}  // namespace wandlink
