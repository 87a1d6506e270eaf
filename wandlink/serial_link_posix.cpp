#include "serial_link.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

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
  ::tcflush(fd_.Get(), TCIOFLUSH);
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
  while (count < reply.size()) {
    const ssize_t got = ::read(fd_.Get(), reply.data() + count, reply.size() - count);
    if (got > 0) {
      count += static_cast<std::size_t>(got);
      announcedReadable = false;
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
    if (WaitFor(POLLIN, deadline) != Wait::Ready) {
      break;
    }
    announcedReadable = true;
  }
  return count;
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
  ::tcsetattr(fd_.Get(), TCSANOW, &original_);
  ::ioctl(fd_.Get(), TIOCNXCL);
  fd_.Reset();
}

}  // namespace wandlink
