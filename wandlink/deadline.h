// Deadlines of the wand link's waits, on the steady clock.
#pragma once

#include <chrono>

namespace wandlink {

using Deadline = std::chrono::steady_clock::time_point;

// Milliseconds left until the deadline, rounded up so that a wait never ends early; 0 once
// it has passed.
int MillisecondsUntil(Deadline deadline);

}  // namespace wandlink
