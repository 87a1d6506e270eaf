#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>

#include "durable_file.h"
#include "wandlink/unique_fd.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;

// "<folder>/.korvanta-XXXXXX": mkstemp's six letters after this.
constexpr std::string_view kTemporaryPrefix = ".korvanta-";
constexpr std::size_t kTemporaryLetters = 6;
// A temporary file this old is left from an export that never ended.
constexpr std::chrono::hours kStaleAfter{24};

std::string Reason(int error) {
  return std::generic_category().message(error);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the target as any program would, following links as the kernel does, with its checks,
// but not through a link to an open file (/dev/stdout, /proc/PID/fd/N): those fail with ELOOP.
// Kernels before 5.6 have no openat2 and follow those too.
UniqueFd OpenPathOnly(const fs::path& target) {
  open_how how{};
  how.flags = O_PATH | O_CLOEXEC;
  how.resolve = RESOLVE_NO_MAGICLINKS;
  const long fd = ::syscall(SYS_openat2, AT_FDCWD, target.c_str(), &how, sizeof how);
  if (fd < 0 && errno == ENOSYS) {
    return UniqueFd(::open(target.c_str(), O_PATH | O_CLOEXEC));
  }
  return UniqueFd(static_cast<int>(fd));
}

// Whether the target leads through a link to an open file, which stands for that file rather
// than a name in a folder.
bool IsOpenFileLink(const fs::path& target) {
  if (errno != ELOOP) {
    return false;
  }
  return UniqueFd(::open(target.c_str(), O_PATH | O_CLOEXEC)).Valid();
}

// Opened for writing without blocking on a FIFO or a device, and without taking a terminal.
UniqueFd OpenForWriting(const fs::path& path, int flags) {
  return UniqueFd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags, 0666));
}

// The name in its folder of the file an open reached, as the kernel found it.
std::optional<fs::path> NameOf(int fd, const fs::path& target, const struct stat& opened) {
  std::error_code error;
  fs::path name = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
  if (error) {
    name = target;
  }
  struct stat named {};
  if (::lstat(name.c_str(), &named) != 0 || !SameFile(named, opened)) {
    return std::nullopt;
  }
  return name;
}

class DescriptorSink final : public ByteSink {
 public:
  explicit DescriptorSink(int fd) : fd_(fd) {}
  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written < 0) {
        if (errno == EINTR) {
          continue;
        }
        throw WriteFailure(Reason(errno));
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
  }

 private:
  int fd_;
};

// Temporary files of this user's exports to the folder that were never put in place.
void RemoveStaleTemporaryFiles(const fs::path& folder) {
  std::error_code error;
  const auto oldest = std::chrono::system_clock::now() - kStaleAfter;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    struct stat status {};
    if (name.size() != kTemporaryPrefix.size() + kTemporaryLetters ||
        !name.starts_with(kTemporaryPrefix) || ::lstat(entry->path().c_str(), &status) != 0 ||
        !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        std::chrono::system_clock::from_time_t(status.st_mtime) > oldest) {
      continue;
    }
    ::unlink(entry->path().c_str());
  }
}

// The folder's entry for the renamed file on the disk too. A file system that cannot sync a
// folder has nothing to sync; the file is in place either way, so a failure here is no
// failure of the write.
void SyncFolder(const fs::path& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) {
    ::fsync(fd.Get());
  }
}

}  // namespace

struct DurableFile::State {
  std::string failure;
  // Written in place: the target is a link to an open file.
  UniqueFd inPlace;
  // What the contents replace, and what the open found there (or nothing for a new file).
  fs::path name;
  std::optional<struct stat> replaced;
  // A file created only to find where a link leads, removed again unless replaced.
  bool createdTarget = false;
  std::string temporary;
  UniqueFd temporaryFd;
  bool done = false;

  void Prepare(const fs::path& target);
  void FindTarget(const fs::path& target);
  void CreateTemporary();
  std::string Replace(const ContentWriter& write);
};

void DurableFile::State::FindTarget(const fs::path& target) {
  const UniqueFd path = OpenPathOnly(target);
  if (!path.Valid() && IsOpenFileLink(target)) {
    // Appended to, as a shell's >> left it; a pipe with no reader fails rather than waits.
    inPlace = OpenForWriting(target, O_APPEND);
    if (!inPlace.Valid() || ::fcntl(inPlace.Get(), F_SETFL, O_APPEND) != 0) {
      failure = Reason(errno);
    }
    return;
  }
  UniqueFd opened;
  if (path.Valid()) {
    struct stat found {};
    ::fstat(path.Get(), &found);
    if (S_ISDIR(found.st_mode)) {
      failure = Reason(EISDIR);
      return;
    }
    if (!S_ISREG(found.st_mode)) {
      failure = kNotARegularFileReason;
      return;
    }
    // The write permission checked as for any program that would overwrite it.
    opened = OpenForWriting(target, 0);
  } else if (errno != ENOENT) {
    failure = Reason(errno);
    return;
  } else if (struct stat link{}; ::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    // A link to a file yet to be: the kernel makes it, wherever and if it lets the user.
    opened = OpenForWriting(target, O_CREAT);
    createdTarget = opened.Valid();
  } else {
    name = target;
    return;
  }
  struct stat status {};
  if (!opened.Valid() || ::fstat(opened.Get(), &status) != 0) {
    failure = Reason(errno);
    return;
  }
  if (!S_ISREG(status.st_mode)) {
    failure = kNotARegularFileReason;
    return;
  }
  if (status.st_nlink > 1) {
    failure = kSeveralLinksReason;
    return;
  }
  const auto found = NameOf(opened.Get(), target, status);
  if (!found) {
    failure = Reason(ENOENT);
    return;
  }
  name = *found;
  replaced = status;
}

void DurableFile::State::CreateTemporary() {
  const fs::path folder = name.has_parent_path() ? name.parent_path() : fs::path(".");
  RemoveStaleTemporaryFiles(folder);
  temporary =
      (folder / (std::string(kTemporaryPrefix) + std::string(kTemporaryLetters, 'X'))).string();
  temporaryFd = UniqueFd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!temporaryFd.Valid()) {
    failure = Reason(errno);
    temporary.clear();
    return;
  }
  mode_t mode = 0;
  if (replaced && !createdTarget) {
    // The owner's and group's, where the user may give them; the set-ID bits stay with the old
    // contents, which they were granted to.
    (void)!::fchown(temporaryFd.Get(), replaced->st_uid, replaced->st_gid);
    mode = replaced->st_mode & 0777;
  } else {
    mode = ::umask(0);
    ::umask(mode);
    mode = 0666 & ~mode;
  }
  if (::fchmod(temporaryFd.Get(), mode) != 0) {
    failure = Reason(errno);
  }
}

void DurableFile::State::Prepare(const fs::path& target) {
  FindTarget(target);
  if (failure.empty() && !inPlace.Valid()) {
    CreateTemporary();
  }
}

std::string DurableFile::State::Replace(const ContentWriter& write) {
  if (inPlace.Valid()) {
    return FailureOf([&] {
      DescriptorSink sink(inPlace.Get());
      write(sink);
    });
  }
  std::string reason = FailureOf([&] {
    DescriptorSink sink(temporaryFd.Get());
    write(sink);
  });
  if (reason.empty() && ::fsync(temporaryFd.Get()) != 0) {
    reason = Reason(errno);
  }
  if (::close(temporaryFd.Release()) != 0 && reason.empty()) {
    reason = Reason(errno);
  }
  if (!reason.empty()) {
    return reason;
  }
  // The file found at the start is still the one there, so no other is replaced.
  struct stat now {};
  if (replaced && (::lstat(name.c_str(), &now) != 0 || !SameFile(now, *replaced))) {
    return Reason(ENOENT);
  }
  if (::rename(temporary.c_str(), name.c_str()) != 0) {
    return Reason(errno);
  }
  temporary.clear();
  createdTarget = false;
  SyncFolder(name.has_parent_path() ? name.parent_path() : fs::path("."));
  return {};
}

DurableFile::DurableFile(const fs::path& target) : state_(std::make_unique<State>()) {
  state_->Prepare(target);
}

DurableFile::~DurableFile() {
  state_->temporaryFd.Reset();
  if (!state_->temporary.empty()) {
    ::unlink(state_->temporary.c_str());
  }
  struct stat now {};
  if (state_->createdTarget && state_->replaced && ::lstat(state_->name.c_str(), &now) == 0 &&
      SameFile(now, *state_->replaced) && now.st_size == 0) {
    ::unlink(state_->name.c_str());
  }
}

const std::string& DurableFile::Failure() const {
  return state_->failure;
}

std::string DurableFile::Write(const ContentWriter& write) {
  if (!state_->failure.empty()) {
    return state_->failure;
  }
  if (state_->done) {
    return Reason(EALREADY);
  }
  state_->done = true;
  return state_->Replace(write);
}

std::string WriteFileDurably(const fs::path& target, const ContentWriter& write) {
  DurableFile file(target);
  return file.Write(write);
}

std::string WriteStandardOutput(const ContentWriter& write) {
  return FailureOf([&] {
    DescriptorSink sink(STDOUT_FILENO);
    write(sink);
  });
}

}  // namespace wandlink
