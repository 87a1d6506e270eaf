#include <iostream>
#include <string>

#include "port_names.h"
#include "serial_link.h"
#include "win32_text.h"

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

// The OVERLAPPED record of one transfer, with a manual-reset event of its own.
class OverlappedRecord {
 public:
  OverlappedRecord() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    record_.hEvent = event_.get();
  }
  OverlappedRecord(const OverlappedRecord&) = delete;
  OverlappedRecord& operator=(const OverlappedRecord&) = delete;

  bool Valid() const { return event_ != nullptr; }
  OVERLAPPED* Get() { return &record_; }
  HANDLE Done() const { return event_.get(); }

 private:
  UniqueHandle event_;
  OVERLAPPED record_{};
};

// The drain's thread. A flush fails only on a line that is gone, which the download has
// already met and reported.
DWORD WINAPI FlushOutput(void* port) {
  ::FlushFileBuffers(static_cast<HANDLE>(port));
  return 0;
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
  return std::unique_ptr<SerialLink>(new SerialLink(std::move(port), std::move(stop)));
}

SerialLink::SerialLink(UniqueHandle port, std::shared_ptr<const StopSignal> stop)
    : port_(std::move(port)), stop_(std::move(stop)) {}

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
    settings.BaudRate = CBR_9600;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    // A port left with flow control on by another program would swallow the bytes 0x11 and
    // 0x13 of a record, or wait on modem lines the wand does not drive.
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
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

SerialLink::Transfer SerialLink::Run(const StartTransfer& start, Deadline deadline) const {
  OverlappedRecord record;
  if (!record.Valid()) {
    return {};
  }
  DWORD moved = 0;
  if (!start(record.Get())) {
    if (::GetLastError() != ERROR_IO_PENDING) {
      return {};
    }
    if (!WaitFor(record.Done(), deadline)) {
      ::CancelIoEx(port_.get(), record.Get());
    }
  }
  // Waits for a cancelled transfer to end, so that it never outlives its record and buffer; a
  // cancelled read still reports the bytes it got.
  const bool complete = ::GetOverlappedResult(port_.get(), record.Get(), &moved, TRUE);
  return {.bytes = moved, .complete = complete};
}

void SerialLink::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!port_) {
    return;
  }
  ::PurgeComm(port_.get(), PURGE_TXCLEAR | PURGE_RXCLEAR);
  Run(
      [&](OVERLAPPED* record) {
        return ::WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                           record);
      },
      std::chrono::steady_clock::now() + kSendDeadline);
}

std::size_t SerialLink::ReceiveFrame(WandRecord& reply) {
  if (!port_) {
    return 0;
  }
  const Deadline deadline = std::chrono::steady_clock::now() + kReceiveDeadline;
  std::size_t count = 0;
  // A read may complete short of what it asked for (at the driver's interval timeout, or as
  // some drivers end reads); the rest is read again until the deadline.
  while (count < reply.size() && !StopRequested() && MillisecondsUntil(deadline) > 0) {
    const Transfer read = Run(
        [&](OVERLAPPED* record) {
          return ::ReadFile(port_.get(), reply.data() + count,
                            static_cast<DWORD>(reply.size() - count), nullptr, record);
        },
        deadline);
    count += read.bytes;
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
  // Cancelling may come before the flush has started; it is asked for again until the thread
  // is out.
  do {
    ::CancelSynchronousIo(flusher.get());
  } while (::WaitForSingleObject(flusher.get(), 10) == WAIT_TIMEOUT);
}

void SerialLink::Close() {
  if (!port_) {
    return;
  }
  DrainOutput();
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
