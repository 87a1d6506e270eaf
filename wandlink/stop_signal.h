// A one-way "stop now" flag that any thread may raise and that wakes waits at once.
//
// It is an eventfd that becomes readable when raised and stays so: a waiting poll() that
// watches Fd() returns at once, and so does every later one. The serial link polls it beside
// the port, and the download sleeps on it, so that closing the window ends a download without
// waiting out its deadlines.
#pragma once

#include <chrono>
#include <memory>

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

// Makes SIGINT, SIGTERM and SIGHUP raise the returned stop signal instead of ending the process,
// so a program interrupted in a download still closes its port. The signal lives as long as the
// process, so a signal that arrives while main's locals are being torn down still finds it; every
// call returns the same one.
std::shared_ptr<const StopSignal> StopOnTerminationSignals();

}  // namespace wandlink
