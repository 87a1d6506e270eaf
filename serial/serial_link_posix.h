// The serial line to the wand, on a POSIX terminal device.
//
// Principles of operation:
// - Open takes the port for this program alone: the descriptor is locked with flock() before
//   any setting changes and the terminal is put in exclusive mode, so a second program (or a
//   second download) gets the port-open failure instead of sharing the line.
// - Configure sets the wand's line once: 9600 baud both ways, 8 data bits, no parity, stop bits
//   as they were. The line is raw: no echo, no line editing, no translation of any byte, no
//   software or hardware flow control (an XON, XOFF or 0xFF byte in a record is data), modem
//   lines ignored. Reads never block in the driver (VMIN = VTIME = 0); every wait is a poll()
//   against a deadline, so an idle wait costs no CPU.
// - Configure also asks the driver for low latency (ASYNC_LOW_LATENCY): USB adapters such as
//   FTDI's otherwise hold a short reply back for their latency timer (16 ms), longer than the
//   9-byte reply itself takes on the line. A driver without the setting (a pty) or one that
//   refuses it is no error.
// - Close (or destruction) first lets the output drain, bounded by kDrainDeadline in every
//   case (the driver's output queue is polled, never waited on in the driver), so the clock
//   frame's last bytes do not go out at the old speed; then it gives the terminal its original
//   settings and low-latency flag back and releases it.
// - A StopSignal passed at open wakes any wait at once; after a stop every transfer returns
//   without waiting.
//
// The kernel's own receive and transmit buffers stand in for fixed queue sizes, and the
// 2-second receive deadline bounds every exchange, so no inter-byte read interval is set.
#pragma once

#include <termios.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "wandlink/poll_wait.h"
#include "wandlink/stop_signal.h"
#include "wandlink/unique_fd.h"
#include "wandlink/wand_port.h"

namespace wandlink {

class SerialLink final : public WandPort {
 public:
  static constexpr std::chrono::milliseconds kSendDeadline{1000};
  static constexpr std::chrono::milliseconds kReceiveDeadline{2000};
  // Far more than the clock frame needs to leave; a line that takes longer is stuck, and its
  // output is dropped rather than holding the close.
  static constexpr std::chrono::milliseconds kDrainDeadline{500};
  // One byte on the wand's line: a start bit, 8 data bits and a stop bit at 9600 baud.
  static constexpr std::chrono::microseconds kByteTime{1042};

  // Opens the device behind a port name ("COM4", see port_names.h) or a device path. A device
  // that is missing, held by another program, not permitted or not a terminal gives null, with
  // the reason on stderr; nothing is left open.
  static std::unique_ptr<SerialLink> Open(std::string_view portNameOrDevice,
                                          std::shared_ptr<const StopSignal> stop = nullptr);

  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Applies the wand's line settings and purges both directions. A setting the device refuses
  // is reported on stderr; the exchanges that follow then fail on their own.
  void Configure();

  // Purges input and output, then writes the bytes, waiting at most kSendDeadline in all for
  // the line to take them.
  void SendFrame(std::span<const std::uint8_t> bytes) override;

  // Reads until all 9 bytes are in, kReceiveDeadline has passed since the call, the line hangs
  // up or a stop is requested; returns the count read.
  std::size_t ReceiveFrame(WandRecord& reply) override;

  // TIOCINQ: bytes received and not yet read (0 if the device cannot tell).
  std::size_t InputQueueCount() override;

  void Close() override;

  const std::filesystem::path& Device() const { return device_; }

  // The line's settings as the device now has them, in words, for a download trace.
  std::string Settings() const;

 private:
  enum class Wait { Ready, TimedOut, Stopped, Dead };

  SerialLink(UniqueFd fd, std::filesystem::path device, const termios& original,
             std::shared_ptr<const StopSignal> stop);

  Wait WaitFor(short events, Deadline deadline) const;
  // Sleeps while the line carries that many bytes (never past the deadline); false when a stop
  // is requested.
  bool SleepUntilLineCarried(std::size_t bytes, Deadline deadline) const;
  void AskForLowLatency();
  void RestoreLowLatency();
  // Waits until the driver has sent everything written, at most kDrainDeadline (what is left
  // then is dropped); at once when the device cannot tell.
  void DrainOutput();

  UniqueFd fd_;
  std::filesystem::path device_;
  termios original_;
  std::shared_ptr<const StopSignal> stop_;
  enum class LowLatency { Unknown, Unavailable, Ignored, AlreadyOn, TurnedOn };
  LowLatency lowLatency_ = LowLatency::Unknown;
  // When the last frame written has had its time on the line.
  Deadline lineIdleAt_{};
};

}  // namespace wandlink
