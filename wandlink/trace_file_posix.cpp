#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "stop_signal.h"
#include "trace_file.h"
#include "unique_fd.h"

namespace wandlink {
namespace {

class PosixTraceFile final : public TraceFile {
 public:
  explicit PosixTraceFile(UniqueFd fd) : fd_(std::move(fd)) {}

  std::string Write(std::string_view bytes) override {
    // A reader that goes away makes the write fail with EPIPE; the signal that comes with it
    // must not end the program, so it is held on this thread and taken back below.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    while (!bytes.empty() && !abandoned_.Requested()) {
      const ssize_t put = ::write(fd_.Get(), bytes.data(), bytes.size());
      if (put > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(put));
        continue;
      }
      const int error = errno;
      if (put < 0 && error == EINTR) {
        continue;
      }
      if (put < 0 && error != EAGAIN && error != EWOULDBLOCK) {
        const timespec now{};
        ::sigtimedwait(&pipeSignal, nullptr, &now);
        return std::strerror(error);
      }
      pollfd watch[2] = {{fd_.Get(), POLLOUT, 0}, {abandoned_.Fd(), POLLIN, 0}};
      if (::poll(watch, 2, -1) < 0 && errno != EINTR) {
        return std::strerror(errno);
      }
    }
    return bytes.empty() ? std::string() : "abandoned: the file did not take the bytes in time";
  }

  void Abandon() override { abandoned_.Request(); }

 private:
  UniqueFd fd_;
  StopSignal abandoned_;
};

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Open(const std::filesystem::path& file, std::string& reason) {
  // O_NONBLOCK: a FIFO without a reader fails with ENXIO instead of waiting for one.
  UniqueFd fd(::open(file.c_str(),
                     O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!fd.Valid()) {
    reason = errno == ENXIO ? "a pipe without a reader, or a socket" : std::strerror(errno);
    return nullptr;
  }
  struct stat node {};
  if (::fstat(fd.Get(), &node) != 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(node.st_mode) && !S_ISFIFO(node.st_mode) && ::isatty(fd.Get()) == 0) {
    reason = "not a file, a terminal or a pipe";
    return nullptr;
  }
  return std::make_unique<PosixTraceFile>(std::move(fd));
}

}  // namespace wandlink
