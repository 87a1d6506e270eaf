// The serial line to the wand, on a Windows communications device (\\.\COMn).
//
// Principles of operation:
// - Open takes the port for this program alone (no sharing), overlapped, so that every
//   transfer can be waited for against a deadline and the stop signal together. A device that
//   opens but is no serial port is refused at once.
// - Configure sets the driver's queues (1024 bytes each way) and timeouts, and the wand's line:
//   9600 baud, 8 data bits, no parity, everything else as the port had it; then purges both
//   directions.
// - Every transfer has an event and an OVERLAPPED record of its own, and never outlives them:
//   a transfer that is still pending at its deadline or at a stop is cancelled, and its result
//   collected, before they go.
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

#include "deadline.h"
#include "stop_signal.h"
#include "unique_handle.h"
#include "wand_port.h"

namespace wandlink {

class SerialLink final : public WandPort {
 public:
  static constexpr std::chrono::milliseconds kSendDeadline{1000};
  static constexpr std::chrono::milliseconds kReceiveDeadline{2000};
  static constexpr std::chrono::milliseconds kDrainDeadline{1000};

  // Opens the device behind a port name ("COM4", see port_names.h) or a device name such as
  // \\.\COM12. A device that is missing, held by another program or not a serial port gives
  // null, with the reason on stderr; nothing is left open.
  static std::unique_ptr<SerialLink> Open(std::string_view portNameOrDevice,
                                          std::shared_ptr<const StopSignal> stop = nullptr);

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
  // or a stop is requested; returns the count read.
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
  // Issues ReadFile or WriteFile on the given OVERLAPPED record.
  using StartTransfer = std::function<BOOL(OVERLAPPED*)>;

  SerialLink(UniqueHandle port, std::shared_ptr<const StopSignal> stop);

  // Waits for a pending transfer's event, the stop signal or the deadline, whichever is first;
  // true when the transfer is done.
  bool WaitFor(HANDLE transferDone, Deadline deadline) const;

  // Runs one transfer to its end: waits for it until the deadline or a stop, and cancels it
  // then.
  Transfer Run(const StartTransfer& start, Deadline deadline) const;

  // FlushFileBuffers, bounded: it has no timeout of its own and is not subject to the write
  // timeouts, so it runs on a thread of its own and is cancelled at kDrainDeadline.
  void DrainOutput() const;

  bool StopRequested() const { return stop_ && stop_->Requested(); }

  UniqueHandle port_;
  std::shared_ptr<const StopSignal> stop_;
};

}  // namespace wandlink
