#include <algorithm>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "port_names.h"
#include "serial_link.h"
#include "wand_line_win32.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

constexpr DWORD kQueueSize = 1024;

// The receive deadline bounds every exchange; the interval only keeps the driver from ending a
// read between two bytes of one reply, and no total read timeout is set, so a read waits for
// its first byte until it is cancelled.
constexpr COMMTIMEOUTS kTimeouts{.ReadIntervalTimeout = 8000,
                                 .ReadTotalTimeoutMultiplier = 0,
                                 .ReadTotalTimeoutConstant = 0,
                                 .WriteTotalTimeoutMultiplier = 100,
                                 .WriteTotalTimeoutConstant = 500};

void ReportOpenFailure(std::string_view port, const std::filesystem::path& device,
                       const std::string& reason) {
  std::cerr << "wandlink: cannot open " << port;
  const std::string deviceName = Utf8(device.native());
  if (deviceName != port) {
    std::cerr << " (" << deviceName << ")";
  }
  std::cerr << ": " << reason << '\n';
}

std::string OpenFailureReason(DWORD error) {
  std::string reason = SystemErrorText(error);
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
    reason += "; another program holds the port";
  }
  return reason;
}

void ReportRefused(const char* what) {
  std::cerr << "wandlink: " << what << " refused: " << SystemErrorText(::GetLastError()) << '\n';
}

// What one overlapped transfer uses while the driver holds it: a manual-reset event, the
// OVERLAPPED record and the buffer.
class TransferState {
 public:
  explicit TransferState(std::vector<std::uint8_t> data)
      : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), data_(std::move(data)) {
    record_.hEvent = event_.get();
  }
  TransferState(const TransferState&) = delete;
  TransferState& operator=(const TransferState&) = delete;

  bool Valid() const { return event_ != nullptr; }
  OVERLAPPED* Record() { return &record_; }
  HANDLE Done() const { return event_.get(); }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  UniqueHandle event_;
  OVERLAPPED record_{};
  std::vector<std::uint8_t> data_;
};

// The drain's thread. A flush fails only on a line that is gone, which the download has
// already met and reported.
DWORD WINAPI FlushOutput(void* port) {
  ::FlushFileBuffers(static_cast<HANDLE>(port));
  return 0;
}

// A transfer the driver did not end after its cancel may still be written to at any time, so
// what it uses is never freed; deliberately reachable, not leaked.
void KeepForTheProcess(std::unique_ptr<TransferState> transfer) {
  static std::mutex mutex;
  static auto* const kept = new std::vector<std::unique_ptr<TransferState>>;
  std::lock_guard lock(mutex);
  kept->push_back(std::move(transfer));
}

}  // namespace

std::unique_ptr<SerialLink> SerialLink::Open(std::string_view portNameOrDevice,
                                             std::shared_ptr<const StopSignal> stop) {
  const std::filesystem::path device = ResolvePortDevice(portNameOrDevice);
  UniqueHandle port = OwnFileHandle(
      ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!port) {
    ReportOpenFailure(portNameOrDevice, device, OpenFailureReason(::GetLastError()));
    return nullptr;
  }
  DCB settings{};
  settings.DCBlength = sizeof settings;
  if (!::GetCommState(port.get(), &settings)) {
    ReportOpenFailure(portNameOrDevice, device,
                      "not a serial port (" + SystemErrorText(::GetLastError()) + ")");
    return nullptr;
  }
  return Adopt(std::move(port), std::move(stop),
               [](HANDLE line, OVERLAPPED* record) { return ::CancelIoEx(line, record); });
}

std::unique_ptr<SerialLink> SerialLink::Adopt(UniqueHandle port,
                                              std::shared_ptr<const StopSignal> stop,
                                              CancelTransfer cancel) {
  return std::unique_ptr<SerialLink>(
      new SerialLink(std::move(port), std::move(stop), std::move(cancel)));
}

SerialLink::SerialLink(UniqueHandle port, std::shared_ptr<const StopSignal> stop,
                       CancelTransfer cancel)
    : port_(std::move(port)), stop_(std::move(stop)), cancel_(std::move(cancel)) {}

void SerialLink::Configure() {
  if (!port_) {
    return;
  }
  if (!::SetupComm(port_.get(), kQueueSize, kQueueSize)) {
    ReportRefused("queue sizes");
  }
  COMMTIMEOUTS timeouts = kTimeouts;
  if (!::SetCommTimeouts(port_.get(), &timeouts)) {
    ReportRefused("timeouts");
  }
  DCB settings{};
  settings.DCBlength = sizeof settings;
  if (!::GetCommState(port_.get(), &settings)) {
    ReportRefused("reading the line settings");
  } else {
    SetWandLine(settings);
    if (!::SetCommState(port_.get(), &settings)) {
      ReportRefused("line settings 9600 baud, 8 data bits, no parity");
    }
  }
  ::PurgeComm(port_.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

bool SerialLink::WaitFor(HANDLE transferDone, Deadline deadline) const {
  const HANDLE watch[2] = {transferDone, stop_ ? stop_->Event() : nullptr};
  const DWORD count = stop_ ? 2 : 1;
  for (;;) {
    const DWORD woken = ::WaitForMultipleObjects(count, watch, FALSE,
                                                 static_cast<DWORD>(MillisecondsUntil(deadline)));
    if (woken != WAIT_TIMEOUT) {
      return woken == WAIT_OBJECT_0;
    }
    // A timed wait may end a clock tick early; the deadline decides.
    if (MillisecondsUntil(deadline) == 0) {
      return false;
    }
  }
}

SerialLink::Transfer SerialLink::Run(std::vector<std::uint8_t>& data, const StartTransfer& start,
                                     Deadline deadline) {
  if (broken_) {
    return {};
  }
  auto transfer = std::make_unique<TransferState>(std::move(data));
  if (!transfer->Valid()) {
    data = std::move(transfer->Data());
    return {};
  }
  if (!start(transfer->Data().data(), transfer->Record())) {
    if (::GetLastError() != ERROR_IO_PENDING) {
      data = std::move(transfer->Data());
      return {};
    }
    if (!WaitFor(transfer->Done(), deadline)) {
      cancel_(port_.get(), transfer->Record());
      // A cancelled transfer ends as soon as the driver lets go of it; a driver that ignores
      // the cancel must not hold the download, nor the window's close, for ever.
      if (::WaitForSingleObject(transfer->Done(), static_cast<DWORD>(kCancelGrace.count())) !=
          WAIT_OBJECT_0) {
        std::cerr << "wandlink: the driver did not end a cancelled transfer within "
                  << kCancelGrace.count() << " ms; the line is given up\n";
        broken_ = true;
        KeepForTheProcess(std::move(transfer));
        return {};
      }
    }
  }
  // A cancelled read still reports the bytes it got.
  DWORD moved = 0;
  const bool complete =
      ::GetOverlappedResult(port_.get(), transfer->Record(), &moved, FALSE) != FALSE;
  data = std::move(transfer->Data());
  return {.bytes = moved, .complete = complete};
}

void SerialLink::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!port_) {
    return;
  }
  ::PurgeComm(port_.get(), PURGE_TXCLEAR | PURGE_RXCLEAR);
  std::vector<std::uint8_t> frame(bytes.begin(), bytes.end());
  Run(
      frame,
      [&](std::uint8_t* data, OVERLAPPED* record) {
        return ::WriteFile(port_.get(), data, static_cast<DWORD>(bytes.size()), nullptr, record);
      },
      std::chrono::steady_clock::now() + kSendDeadline);
}

std::size_t SerialLink::ReceiveFrame(WandRecord& reply) {
  if (!port_) {
    return 0;
  }
  const Deadline deadline = std::chrono::steady_clock::now() + kReceiveDeadline;
  std::size_t count = 0;
  std::vector<std::uint8_t> received;
  // A read may complete short of what it asked for (at the driver's interval timeout, or as
  // some drivers end reads); the rest is read again until the deadline.
  while (count < reply.size() && !StopRequested() && MillisecondsUntil(deadline) > 0) {
    const std::size_t wanted = reply.size() - count;
    received.assign(wanted, 0);
    const Transfer read = Run(
        received,
        [&](std::uint8_t* data, OVERLAPPED* record) {
          return ::ReadFile(port_.get(), data, static_cast<DWORD>(wanted), nullptr, record);
        },
        deadline);
    const std::size_t got = std::min<std::size_t>(read.bytes, received.size());
    std::copy_n(received.begin(), got, reply.begin() + static_cast<std::ptrdiff_t>(count));
    count += got;
    // A failed or cut read, or one that completed with nothing: the line has no more to give.
    if (!read.complete || read.bytes == 0) {
      break;
    }
  }
  return count;
}

void SerialLink::DrainOutput() const {
  const UniqueHandle flusher(::CreateThread(nullptr, 0, FlushOutput, port_.get(), 0, nullptr));
  if (!flusher) {
    ReportRefused("a thread to drain the output");
    return;
  }
  if (::WaitForSingleObject(flusher.get(), static_cast<DWORD>(kDrainDeadline.count())) !=
      WAIT_TIMEOUT) {
    return;
  }
  std::cerr << "wandlink: the output did not drain within " << kDrainDeadline.count() << " ms\n";
  // Cancelling may come before the flush has started, so it is asked for again until the
  // thread is out; a driver that ignores it too is left with the thread, not with the close.
  const Deadline giveUp = std::chrono::steady_clock::now() + kCancelGrace;
  do {
    ::CancelSynchronousIo(flusher.get());
  } while (::WaitForSingleObject(flusher.get(), 10) == WAIT_TIMEOUT &&
           MillisecondsUntil(giveUp) > 0);
}

void SerialLink::Close() {
  if (!port_) {
    return;
  }
  // A driver that would not end a cancelled transfer is not asked to drain either.
  if (!broken_) {
    DrainOutput();
  }
  port_.reset();
}

std::size_t SerialLink::InputQueueCount() {
  DWORD errors = 0;
  COMSTAT status{};
  if (!port_ || !::ClearCommError(port_.get(), &errors, &status)) {
    return 0;
  }
  return status.cbInQue;
}

std::string SerialLink::Settings() const {
  DCB line{};
  line.DCBlength = sizeof line;
  COMMTIMEOUTS timeouts{};
  if (!port_ || !::GetCommState(port_.get(), &line) || !::GetCommTimeouts(port_.get(), &timeouts)) {
    return "unknown (" + SystemErrorText(::GetLastError()) + ")";
  }
  static constexpr const char* kParity[] = {"no", "odd", "even", "mark", "space"};
  static constexpr const char* kStopBits[] = {"1", "1.5", "2"};
  return std::to_string(line.BaudRate) + " baud, " + std::to_string(line.ByteSize) +
         " data bits, " + (line.Parity < 5 ? kParity[line.Parity] : "unknown") + " parity, " +
         (line.StopBits < 3 ? kStopBits[line.StopBits] : "unknown") + " stop bits" +
         (line.fOutxCtsFlow ? ", CTS flow control" : "") +
         (line.fOutX || line.fInX ? ", XON/XOFF flow control" : "") + "; read interval " +
         std::to_string(timeouts.ReadIntervalTimeout) + " ms, write timeout " +
         std::to_string(timeouts.WriteTotalTimeoutMultiplier) + " ms per byte + " +
         std::to_string(timeouts.WriteTotalTimeoutConstant) + " ms";
}

}  // namespace wandlink
