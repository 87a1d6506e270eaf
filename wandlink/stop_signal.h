// A one-way "stop now" flag that any thread may raise and that wakes waits at once.
//
// The serial link waits on it beside the port, and the download sleeps on it, so that closing
// the window ends a download without waiting out its deadlines. Each system has its own kind
// of waitable object behind it; both offer Request, Requested and SleepFor.
#pragma once

#include <memory>

#if defined(_WIN32)
#include "stop_signal_win32.h"
#else
#include "stop_signal_posix.h"
#endif

namespace wandlink {

// Makes the system's requests to end the program (SIGINT, SIGTERM and SIGHUP; on Windows
// Ctrl+C, Ctrl+Break and closing the console) raise the returned stop signal instead of ending
// the process at once, so a program interrupted in a download still closes its port. The
// signal lives as long as the process, so a request that arrives while main's locals are being
// torn down still finds it; every call returns the same one.
std::shared_ptr<const StopSignal> StopOnTerminationSignals();

}  // namespace wandlink
