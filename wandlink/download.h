// wandlink: the wand itself, and nothing around it. A record's nine bytes and its date, the
// download protocol, the log it fills, and the interfaces a download talks through: the port
// (WandPort), the window's controls (DownloadControls), the trace, the stop signal and the
// clock. It uses only the standard library and the system's own calls for the stop signal and
// the clock; the serial line, the ports, the files and the windows build on it, never the
// other way round.
//
// The download of a wand's whole log, run on a worker thread.
//
// RunDownload speaks the wand protocol over an open, configured port: probe (0x30), then the
// month mode from the bytes waiting 650 ms later (25 or fewer: LowNibble, else Bcd), identify
// (0x55), first record (0x04), next records (0x00) until the end marker, and finally the clock
// frame that sets the wand to the computer's local time. It drives the controls as it goes,
// closes the port on every way out, and shows the rows only once the log is complete.
//
// Any reply short of 9 bytes fails the whole download with "读取数据失败": nothing read is
// shown and the wand's clock is not set. So does a log that goes past the record ceiling. A wand
// without records is no failure: it gets the clock frame and the message "读取完成,没有记录".
//
// Raising the context's stop signal from another thread cancels the download: every wait ends
// at once, no clock frame is sent, no message or row is shown, the port is closed and the
// collect button given back.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "download_controls.h"
#include "download_trace.h"
#include "local_clock.h"
#include "stop_signal.h"
#include "wand_port.h"

namespace wandlink {

// The records the download makes room for before it starts reading; a longer log still
// arrives whole, the stores grow for it.
inline constexpr std::size_t RecordCapacity = 60001;

// Far above any real wand: a wand that never sends the end marker (a broken wand, a line stuck
// answering) fails the download here instead of growing the stores without end.
inline constexpr std::size_t RecordCeiling = 1'048'576;

// Waits the given time unless the download is cancelled; returns false when cancelled.
using Pause = std::function<bool(std::chrono::milliseconds)>;

struct DownloadContext {
  std::unique_ptr<WandPort> port;
  DownloadControls* controls = nullptr;
  std::shared_ptr<const StopSignal> stop = std::make_shared<StopSignal>();
  LocalClock clock = SystemLocalTime;
  // Empty: sleep on the stop signal.
  Pause pause;
  std::size_t recordCeiling = RecordCeiling;
  // Null unless support asked for a trace: it then gets the month mode and the ending.
  std::shared_ptr<DownloadTrace> trace;
};

enum class DownloadOutcome { Complete, Failed, Cancelled };

// Runs one download to its end. The port must be open and configured; it is closed on return.
DownloadOutcome RunDownload(DownloadContext& context);

}  // namespace wandlink
