// The stop signal on Windows: a manual-reset event that is set when raised and stays so, so a
// wait that includes Event() returns at once, and so does every later one.
#pragma once

#include <windows.h>

#include <chrono>

#include "unique_handle.h"

namespace wandlink {

class StopSignal {
 public:
  // Aborts if the system gives no event: without it nothing could be cancelled.
  StopSignal();

  // Raises the flag. Safe from any thread, console control handlers included.
  void Request() const;

  bool Requested() const;

  // Sleeps for the duration unless the flag is or becomes raised. Returns true when the whole
  // duration passed, false when it was cut short by a stop request.
  bool SleepFor(std::chrono::milliseconds duration) const;

  // Signalled once the flag is raised; for WaitForMultipleObjects beside other objects.
  HANDLE Event() const { return event_.get(); }

 private:
  UniqueHandle event_;
};

}  // namespace wandlink
