// The stop signal on POSIX: an eventfd that becomes readable when raised and stays so, so a
// waiting poll() that watches Fd() returns at once, and so does every later one.
#pragma once

#include <chrono>

#include "unique_fd.h"

namespace wandlink {

class StopSignal {
 public:
  // Aborts if the kernel gives no eventfd: without it nothing could be cancelled.
  StopSignal();

  // Raises the flag. Safe from any thread and from a signal handler.
  void Request() const;

  bool Requested() const;

  // Sleeps for the duration unless the flag is or becomes raised. Returns true when the whole
  // duration passed, false when it was cut short by a stop request.
  bool SleepFor(std::chrono::milliseconds duration) const;

  // Readable once the flag is raised; for poll() beside other descriptors.
  int Fd() const { return fd_.Get(); }

 private:
  UniqueFd fd_;
};

}  // namespace wandlink
