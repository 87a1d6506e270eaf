#include <windows.h>

#include <algorithm>
#include <mutex>

#include "trace_file.h"
#include "unique_handle.h"
#include "win32_text.h"

namespace wandlink {
namespace {

constexpr std::string_view kAbandoned = "abandoned: the file did not take the bytes in time";

class Win32TraceFile final : public TraceFile {
 public:
  explicit Win32TraceFile(UniqueHandle file) : file_(std::move(file)) {}

  std::string Write(std::string_view bytes) override {
    if (!BindWriter()) {
      return std::string(kAbandoned);
    }
    while (!bytes.empty()) {
      DWORD put = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
      if (!::WriteFile(file_.get(), bytes.data(), chunk, &put, nullptr)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_OPERATION_ABORTED ? std::string(kAbandoned) : SystemErrorText(error);
      }
      bytes.remove_prefix(put);
      if (Abandoned()) {
        return std::string(kAbandoned);
      }
    }
    return {};
  }

  // A pipe whose reader stopped holds WriteFile; cancelling the writer's own synchronous I/O is
  // the system's way to release it.
  void Abandon() override {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
    if (writer_) {
      ::CancelSynchronousIo(writer_.get());
    }
  }

 private:
  // Remembers the thread that writes, for Abandon; false once abandoned.
  bool BindWriter() {
    const std::lock_guard lock(mutex_);
    if (!writer_) {
      HANDLE self = nullptr;
      if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                            &self, THREAD_TERMINATE, FALSE, 0)) {
        writer_.reset(self);
      }
    }
    return !abandoned_;
  }

  bool Abandoned() {
    const std::lock_guard lock(mutex_);
    return abandoned_;
  }

  UniqueHandle file_;
  std::mutex mutex_;
  UniqueHandle writer_;
  bool abandoned_ = false;
};

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Open(const std::filesystem::path& file, std::string& reason) {
  // A name in the device namespace (a pipe, a console) is opened as it is; a file is appended
  // to, and made when absent. Neither waits: a pipe without a server fails at once.
  const bool device = file.native().starts_with(LR"(\\.\)");
  UniqueHandle handle = OwnFileHandle(
      ::CreateFileW(file.c_str(), device ? GENERIC_WRITE : FILE_APPEND_DATA,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    device ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    reason = SystemErrorText(::GetLastError());
    return nullptr;
  }
  DWORD consoleMode = 0;
  const DWORD type = ::GetFileType(handle.get());
  if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE &&
      !(type == FILE_TYPE_CHAR && ::GetConsoleMode(handle.get(), &consoleMode))) {
    reason = "not a file, a console or a pipe";
    return nullptr;
  }
  return std::make_unique<Win32TraceFile>(std::move(handle));
}

}  // namespace wandlink
