#include "serial_link.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "port_names.h"

namespace wandlink {
namespace {

void ReportOpenFailure(std::string_view port, const std::filesystem::path& device,
                       const std::string& reason) {
  std::cerr << "wandlink: cannot open " << port;
  if (device != port) {
    std::cerr << " (" << device.string() << ")";
  }
  std::cerr << ": " << reason << '\n';
}

std::string ErrnoReason(int error) {
  std::string reason = std::strerror(error);
  if (error == EACCES || error == EPERM) {
    reason += "; serial devices usually belong to the group 'dialout': add the user to it";
  } else if (error == EBUSY) {
    reason += "; another program holds the port";
  }
  return reason;
}

std::string SpeedText(speed_t speed) {
  constexpr std::array<std::pair<speed_t, int>, 8> kSpeeds = {{{B1200, 1200},
                                                               {B2400, 2400},
                                                               {B4800, 4800},
                                                               {B9600, 9600},
                                                               {B19200, 19200},
                                                               {B38400, 38400},
                                                               {B57600, 57600},
                                                               {B115200, 115200}}};
  const auto known = std::ranges::find(kSpeeds, speed, &std::pair<speed_t, int>::first);
  return known == kSpeeds.end() ? "speed code " + std::to_string(speed)
                                : std::to_string(known->second) + " baud";
}

}  // namespace

std::unique_ptr<SerialLink> SerialLink::Open(std::string_view portNameOrDevice,
                                             std::shared_ptr<const StopSignal> stop) {
  const std::filesystem::path device = ResolvePortDevice(portNameOrDevice);
  UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    ReportOpenFailure(portNameOrDevice, device, ErrnoReason(errno));
    return nullptr;
  }
  termios original{};
  if (::tcgetattr(fd.Get(), &original) != 0) {
    ReportOpenFailure(portNameOrDevice, device, "not a serial device (" + ErrnoReason(errno) + ")");
    return nullptr;
  }
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ReportOpenFailure(portNameOrDevice, device,
                      error == EWOULDBLOCK ? "another program holds the port" : ErrnoReason(error));
    return nullptr;
  }
  if (::ioctl(fd.Get(), TIOCEXCL) != 0 && errno != EINVAL && errno != ENOTTY) {
    ReportOpenFailure(portNameOrDevice, device, "exclusive use refused: " + ErrnoReason(errno));
    return nullptr;
  }
  return std::unique_ptr<SerialLink>(
      new SerialLink(std::move(fd), device, original, std::move(stop)));
}

SerialLink::SerialLink(UniqueFd fd, std::filesystem::path device, const termios& original,
                       std::shared_ptr<const StopSignal> stop)
    : fd_(std::move(fd)), device_(std::move(device)), original_(original), stop_(std::move(stop)) {}

SerialLink::~SerialLink() {
  Close();
}

void SerialLink::Configure() {
  termios settings = original_;
  ::cfmakeraw(&settings);
  ::cfsetispeed(&settings, B9600);
  ::cfsetospeed(&settings, B9600);
  settings.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | INPCK);
  settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  settings.c_cflag |= CREAD | CLOCAL;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  if (::tcsetattr(fd_.Get(), TCSANOW, &settings) != 0) {
    std::cerr << "wandlink: line settings refused by " << device_.string() << ": "
              << std::strerror(errno) << '\n';
  }
  AskForLowLatency();
  ::tcflush(fd_.Get(), TCIOFLUSH);
}

void SerialLink::AskForLowLatency() {
  serial_struct serial{};
  if (::ioctl(fd_.Get(), TIOCGSERIAL, &serial) != 0) {
    lowLatency_ = LowLatency::Unavailable;
    return;
  }
  if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
    lowLatency_ = LowLatency::AlreadyOn;
    return;
  }
  serial.flags |= ASYNC_LOW_LATENCY;
  if (::ioctl(fd_.Get(), TIOCSSERIAL, &serial) != 0) {
    lowLatency_ = LowLatency::Unavailable;
    return;
  }
  // Some drivers (cp210x, ch341, pl2303) accept the setting and ignore it: only what the driver
  // reports afterwards counts.
  serial_struct now{};
  lowLatency_ = ::ioctl(fd_.Get(), TIOCGSERIAL, &now) == 0 && (now.flags & ASYNC_LOW_LATENCY) != 0
                    ? LowLatency::TurnedOn
                    : LowLatency::Ignored;
}

void SerialLink::RestoreLowLatency() {
  serial_struct serial{};
  if (lowLatency_ != LowLatency::TurnedOn || ::ioctl(fd_.Get(), TIOCGSERIAL, &serial) != 0) {
    return;
  }
  serial.flags &= ~ASYNC_LOW_LATENCY;
  ::ioctl(fd_.Get(), TIOCSSERIAL, &serial);
}

std::string SerialLink::Settings() const {
  termios now{};
  if (!fd_.Valid() || ::tcgetattr(fd_.Get(), &now) != 0) {
    return "unknown (" + std::string(std::strerror(errno)) + ")";
  }
  const int dataBits = (now.c_cflag & CSIZE) == CS8   ? 8
                       : (now.c_cflag & CSIZE) == CS7 ? 7
                       : (now.c_cflag & CSIZE) == CS6 ? 6
                                                      : 5;
  std::string text = SpeedText(::cfgetospeed(&now)) + ", " + std::to_string(dataBits) +
                     " data bits, " +
                     ((now.c_cflag & PARENB) == 0   ? "no parity"
                      : (now.c_cflag & PARODD) != 0 ? "odd parity"
                                                    : "even parity") +
                     ((now.c_cflag & CSTOPB) != 0 ? ", 2 stop bits" : ", 1 stop bit");
  text += (now.c_cflag & CRTSCTS) != 0 ? ", RTS/CTS flow control" : "";
  text += (now.c_iflag & (IXON | IXOFF)) != 0 ? ", XON/XOFF flow control" : "";
  text += (now.c_lflag & ICANON) != 0 ? ", line editing on" : ", raw";
  switch (lowLatency_) {
    case LowLatency::TurnedOn:
      return text + ", low latency turned on";
    case LowLatency::AlreadyOn:
      return text + ", low latency already on";
    case LowLatency::Unavailable:
      return text + ", low latency not offered by the driver";
    case LowLatency::Ignored:
      return text + ", low latency asked for but not taken by the driver";
    case LowLatency::Unknown:
      break;
  }
  return text;
}

SerialLink::Wait SerialLink::WaitFor(short events, Deadline deadline) const {
  pollfd watch[2] = {{fd_.Get(), events, 0}, {stop_ ? stop_->Fd() : -1, POLLIN, 0}};
  const int ready = PollUntil(watch, deadline);
  if (ready < 0) {
    return Wait::Dead;
  }
  if (ready == 0) {
    return Wait::TimedOut;
  }
  if (watch[1].revents != 0) {
    return Wait::Stopped;
  }
  if ((watch[0].revents & events) != 0) {
    return Wait::Ready;
  }
  return Wait::Dead;
}

void SerialLink::SendFrame(std::span<const std::uint8_t> bytes) {
  if (!fd_.Valid()) {
    return;
  }
  ::tcflush(fd_.Get(), TCIOFLUSH);
  const Deadline deadline = std::chrono::steady_clock::now() + kSendDeadline;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t put = ::write(fd_.Get(), bytes.data() + sent, bytes.size() - sent);
    if (put > 0) {
      sent += static_cast<std::size_t>(put);
      lineIdleAt_ = std::chrono::steady_clock::now() + kByteTime * static_cast<int>(sent);
      continue;
    }
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      return;
    }
    if (WaitFor(POLLOUT, deadline) != Wait::Ready) {
      return;
    }
  }
}

std::size_t SerialLink::ReceiveFrame(WandRecord& reply) {
  if (!fd_.Valid()) {
    return 0;
  }
  const Deadline deadline = std::chrono::steady_clock::now() + kReceiveDeadline;
  std::size_t count = 0;
  bool announcedReadable = false;
  bool midFrame = false;
  while (count < reply.size()) {
    const ssize_t got = ::read(fd_.Get(), reply.data() + count, reply.size() - count);
    if (got > 0) {
      count += static_cast<std::size_t>(got);
      announcedReadable = false;
      midFrame = true;
      continue;
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      break;  // EIO and the like: the line is gone
    }
    if (announcedReadable) {
      break;  // poll() said readable yet there was nothing: the line hung up
    }
    if (midFrame) {
      // The rest of a frame cannot come faster than the line carries it: wait for all of it
      // at once instead of waking for every byte.
      midFrame = false;
      if (!SleepUntilLineCarried(reply.size() - count, deadline)) {
        break;
      }
      continue;
    }
    if (WaitFor(POLLIN, deadline) != Wait::Ready) {
      break;
    }
    announcedReadable = true;
  }
  return count;
}

bool SerialLink::SleepUntilLineCarried(std::size_t bytes, Deadline deadline) const {
  const auto carried = std::chrono::steady_clock::now() + kByteTime * static_cast<int>(bytes);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::min(carried, deadline) -
                                                                 std::chrono::steady_clock::now());
  if (!stop_) {
    std::this_thread::sleep_for(wait);
    return true;
  }
  return stop_->SleepFor(wait);
}

std::size_t SerialLink::InputQueueCount() {
  int waiting = 0;
  if (!fd_.Valid() || ::ioctl(fd_.Get(), TIOCINQ, &waiting) != 0 || waiting < 0) {
    return 0;
  }
  return static_cast<std::size_t>(waiting);
}

void SerialLink::Close() {
  if (!fd_.Valid()) {
    return;
  }
  DrainOutput();
  // TCSADRAIN would wait for the driver's "transmitter empty", without any limit on USB
  // adapters that never report it: what the line still carries is waited for above instead.
  ::tcsetattr(fd_.Get(), TCSANOW, &original_);
  RestoreLowLatency();
  ::ioctl(fd_.Get(), TIOCNXCL);
  fd_.Reset();
}

void SerialLink::DrainOutput() {
  const Deadline deadline = std::chrono::steady_clock::now() + kDrainDeadline;
  int pending = 0;
  while (::ioctl(fd_.Get(), TIOCOUTQ, &pending) == 0) {
    if (pending <= 0) {
      // The driver has handed everything to the UART, which may still be sending the last
      // frame: it is given the frame's time on the line.
      std::this_thread::sleep_until(std::min(lineIdleAt_, deadline));
      return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      ::tcflush(fd_.Get(), TCOFLUSH);
      return;
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        std::max<std::chrono::steady_clock::duration>(kByteTime * pending,
                                                      std::chrono::milliseconds(1)),
        deadline - now));
  }
}

}  // namespace wandlink
