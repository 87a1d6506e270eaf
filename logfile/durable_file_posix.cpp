#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "durable_file.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;

// Symbolic links followed at most this many times, as the kernel does (ELOOP).
constexpr int kMaxLinks = 40;

std::string Reason(int error) {
  return std::generic_category().message(error);
}

// The path a write through the target reaches: the target itself, or the end of the chain of
// symbolic links it starts, which need not exist yet.
fs::path FollowLinks(fs::path path, int& error) {
  for (int links = 0; links < kMaxLinks; ++links) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      return path;
    }
    std::error_code readError;
    const fs::path destination = fs::read_symlink(path, readError);
    if (readError) {
      error = readError.value();
      return path;
    }
    path = destination.is_absolute() ? destination : path.parent_path() / destination;
  }
  error = ELOOP;
  return path;
}

// The permission bits of the file being replaced, or those a new file gets under the umask.
mode_t ModeFor(const fs::path& target) {
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    return status.st_mode & 07777;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The folder's entry for the renamed file on the disk too. A file system that cannot sync a
// folder has nothing to sync; the file is in place either way, so a failure here is no
// failure of the write.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

std::string WriteFileDurably(const fs::path& target, std::string_view contents) {
  int linkError = 0;
  const fs::path destination = FollowLinks(target, linkError);
  if (linkError != 0) {
    return Reason(linkError);
  }
  const fs::path folder = destination.has_parent_path() ? destination.parent_path() : fs::path(".");
  std::string temporary = (folder / ".korvanta-XXXXXX").string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    return Reason(errno);
  }
  bool written =
      ::fchmod(fd, ModeFor(destination)) == 0 && WriteAll(fd, contents) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temporary.c_str(), destination.c_str()) == 0) {
    SyncFolder(folder);
    return {};
  }
  if (written) {
    error = errno;
  }
  ::unlink(temporary.c_str());
  return Reason(error);
}

}  // namespace wandlink
