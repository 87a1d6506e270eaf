// The serial line to the wand, on a Windows communications device (\\.\COMn).
//
// Principles of operation:
// - Open takes the port for this program alone (no sharing), overlapped, so that every
//   transfer can be waited for against a deadline and the stop signal together. A device that
//   opens but is no serial port is refused at once.
// - Configure sets the driver's queues (1024 bytes each way) and timeouts, and the wand's line
//   (wand_line_win32.h), leaving nothing another program set on the port in effect; then
//   purges both directions.
// - Every transfer has an event, an OVERLAPPED record and a buffer of its own, and never
//   outlives them: a transfer that is still pending at its deadline or at a stop is cancelled,
//   and its end waited for, kCancelGrace at most. A driver that has not ended it by then keeps
//   them for the rest of the process (it may still write into them), and the link is broken:
//   every later transfer fails at once, so the download ends in its failure form and a close
//   never hangs on the driver.
// - A StopSignal passed at open wakes any wait at once; after a stop every transfer returns
//   without waiting.
// - Close (or destruction) first waits, at most kDrainDeadline, for the line to send what the
//   driver still holds: a close right after the clock frame must not leave the frame's last
//   bytes to whatever settings the port gets next.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wandlink/deadline.h"
#include "wandlink/stop_signal.h"
#include "wandlink/unique_handle.h"
#include "wandlink/wand_port.h"

namespace wandlink {

class SerialLink final : public WandPort {
 public:
  static constexpr std::chrono::milliseconds kSendDeadline{1000};
  static constexpr std::chrono::milliseconds kReceiveDeadline{2000};
  static constexpr std::chrono::milliseconds kDrainDeadline{1000};
  static constexpr std::chrono::milliseconds kCancelGrace{2000};

  // How a pending transfer is cancelled: CancelIoEx, but tests stand in drivers that ignore it.
  using CancelTransfer = std::function<BOOL(HANDLE port, OVERLAPPED* record)>;

  // Opens the device behind a port name ("COM4", see port_names.h) or a device name such as
  // \\.\COM12. A device that is missing, held by another program or not a serial port gives
  // null, with the reason on stderr; nothing is left open.
  static std::unique_ptr<SerialLink> Open(std::string_view portNameOrDevice,
                                          std::shared_ptr<const StopSignal> stop = nullptr);

  // A link on a handle opened for overlapped transfers that need not be a serial port, with
  // the cancel given: for tests of what the link does when a driver misbehaves.
  static std::unique_ptr<SerialLink> Adopt(UniqueHandle port,
                                           std::shared_ptr<const StopSignal> stop,
                                           CancelTransfer cancel);

  ~SerialLink() override { Close(); }
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Applies the queue sizes, the timeouts and the wand's line settings, and purges both
  // directions. A setting the driver refuses is reported on stderr; the exchanges that follow
  // then fail on their own.
  void Configure();

  // Purges input and output, then writes the bytes, waiting at most kSendDeadline for the
  // driver to take them.
  void SendFrame(std::span<const std::uint8_t> bytes) override;

  // Reads until all 9 bytes are in, kReceiveDeadline has passed since the call, the line fails
  // or a stop is requested; returns the count read (0 on a broken link).
  std::size_t ReceiveFrame(WandRecord& reply) override;

  // ClearCommError: bytes received and not yet read (0 if the driver cannot tell).
  std::size_t InputQueueCount() override;

  void Close() override;

  // The line's settings and timeouts as the driver now has them, in words, for a download
  // trace.
  std::string Settings() const;

 private:
  // What one overlapped transfer moved, and whether it completed rather than failed or was cut
  // short by its deadline or a stop.
  struct Transfer {
    DWORD bytes = 0;
    bool complete = false;
  };
  // Issues ReadFile or WriteFile on the transfer's own buffer and OVERLAPPED record.
  using StartTransfer = std::function<BOOL(std::uint8_t* data, OVERLAPPED* record)>;

  SerialLink(UniqueHandle port, std::shared_ptr<const StopSignal> stop, CancelTransfer cancel);

  // Waits for a pending transfer's event, the stop signal or the deadline, whichever is first;
  // true when the transfer is done.
  bool WaitFor(HANDLE transferDone, Deadline deadline) const;

  // Runs one transfer on a buffer that starts as data and is handed back in data with what the
  // transfer left in it: waits for it until the deadline or a stop, and cancels it then.
  Transfer Run(std::vector<std::uint8_t>& data, const StartTransfer& start, Deadline deadline);

  // FlushFileBuffers, bounded: it has no timeout of its own and is not subject to the write
  // timeouts, so it runs on a thread of its own and is cancelled at kDrainDeadline.
  void DrainOutput() const;

  bool StopRequested() const { return stop_ && stop_->Requested(); }

  UniqueHandle port_;
  std::shared_ptr<const StopSignal> stop_;
  CancelTransfer cancel_;
  // A cancelled transfer the driver never ended: nothing more is asked of it.
  bool broken_ = false;
};

}  // namespace wandlink
