#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "durable_file.h"
#include "wandlink/unique_handle.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;

// Temporary names tried before giving up; each is new unless another program races us.
constexpr int kNameAttempts = 100;
// WriteFile takes a DWORD's worth at most.
constexpr std::size_t kWriteChunk = std::size_t{1} << 24;

// The absolute path in the form that lifts MAX_PATH (\\?\C:\..., \\?\UNC\server\share\...).
std::wstring ExtendedPath(const std::wstring& path) {
  if (path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)")) {
    return path;
  }
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) {
    return path;
  }
  std::wstring full(size, L'\0');
  full.resize(::GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  // A device's name (NUL, COM1) comes back as \\.\NUL.
  if (full.starts_with(LR"(\\.\)")) {
    return full;
  }
  if (full.starts_with(LR"(\\)")) {
    return LR"(\\?\UNC\)" + full.substr(2);
  }
  return LR"(\\?\)" + full;
}

// A target that is a symbolic link (a reparse point) is replaced at its destination.
std::wstring FollowLinks(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return path;
  }
  const UniqueHandle file = OwnFileHandle(
      ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    return path;
  }
  std::vector<wchar_t> final(32768);
  const DWORD length =
      ::GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= final.size()) {
    return path;
  }
  return std::wstring(final.data(), length);
}

std::wstring TemporaryName(const std::wstring& folder) {
  static std::atomic<unsigned> counter{0};
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  unsigned value = static_cast<unsigned>(now.QuadPart) * 2654435761U;
  value ^= static_cast<unsigned>(::GetCurrentProcessId()) * 40503U;
  value ^= (counter++ + 1) * 0x9E3779B9U;
  std::wstring name = folder + L"\\~kv00000000.tmp";
  for (std::size_t digit = name.size() - 5; value != 0; --digit, value >>= 4) {
    name[digit] = L"0123456789abcdef"[value & 0xF];
  }
  return name;
}

class HandleSink final : public ByteSink {
 public:
  explicit HandleSink(HANDLE file) : file_(file) {}
  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kWriteChunk));
      DWORD written = 0;
      if (!::WriteFile(file_, bytes.data(), chunk, &written, nullptr)) {
        throw WriteFailure(SystemErrorText(::GetLastError()));
      }
      bytes.remove_prefix(written);
    }
  }

 private:
  HANDLE file_;
};

// Why the target may not be replaced: a device, pipe or folder is no file to replace, and
// replacing a file of several hard links would split them. Empty for a file that may be, or
// none.
std::string WhyNotAFileToReplace(const std::wstring& target) {
  if (target.starts_with(LR"(\\.\)")) {
    return std::string(kNotARegularFileReason);
  }
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return {};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::string(kNotARegularFileReason);
  }
  const UniqueHandle file = OwnFileHandle(
      ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    return {};
  }
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
    return std::string(kNotARegularFileReason);
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (::GetFileInformationByHandle(file.get(), &information) && information.nNumberOfLinks > 1) {
    return std::string(kSeveralLinksReason);
  }
  return {};
}

// A path as the user knows it, without the prefix that lifts MAX_PATH.
std::string ShownPath(const std::wstring& path) {
  if (path.starts_with(LR"(\\?\UNC\)")) {
    return Utf8(L"\\\\" + path.substr(8));
  }
  return Utf8(path.starts_with(LR"(\\?\)") ? std::wstring_view(path).substr(4) : path);
}

// Whether the target can be replaced as far as other programs are concerned: one that holds it
// open without sharing its deletion (as Excel holds a workbook it shows) makes the replace fail
// with an error that only says so (ERROR_UNABLE_TO_REMOVE_REPLACED), while opening it as the
// replace does names the reason, e.g. that another program is using the file.
DWORD WhyNotReplaceable(const std::wstring& target) {
  const UniqueHandle file = OwnFileHandle(
      ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

struct DurableFile::State {
  std::string failure;
  std::wstring destination;
  std::wstring temporary;
  UniqueHandle file;
  bool done = false;

  void Prepare(const fs::path& target);
  std::string Replace(const ContentWriter& write);
};

void DurableFile::State::Prepare(const fs::path& target) {
  destination = FollowLinks(ExtendedPath(target.wstring()));
  failure = WhyNotAFileToReplace(destination);
  if (!failure.empty()) {
    return;
  }
  const std::wstring folder = destination.substr(0, destination.find_last_of(L'\\'));
  for (int attempt = 0; attempt < kNameAttempts && !file; ++attempt) {
    temporary = TemporaryName(folder);
    file = OwnFileHandle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && ::GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  if (!file) {
    failure = SystemErrorText(::GetLastError());
    temporary.clear();
  }
}

std::string DurableFile::State::Replace(const ContentWriter& write) {
  std::string reason = FailureOf([&] {
    HandleSink sink(file.get());
    write(sink);
  });
  DWORD error = ERROR_SUCCESS;
  if (reason.empty() && !::FlushFileBuffers(file.get())) {
    error = ::GetLastError();
  }
  if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS) {
    error = ::GetLastError();
  }
  if (!reason.empty()) {
    return reason;
  }
  if (error != ERROR_SUCCESS) {
    return SystemErrorText(error);
  }
  const bool exists = ::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES;
  error = exists ? WhyNotReplaceable(destination) : ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) {
    return SystemErrorText(error);
  }
  if (exists ? ::ReplaceFileW(destination.c_str(), temporary.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
             : ::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
    temporary.clear();
    return {};
  }
  error = ::GetLastError();
  if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    return SystemErrorText(error);
  }
  // The target gone (or under another name) and the new file still under its temporary name:
  // it goes in place if it can, and otherwise stays, the only copy, where the user is told.
  if (::GetFileAttributesW(destination.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
    temporary.clear();
    return {};
  }
  const std::string kept = ShownPath(temporary);
  temporary.clear();
  return SystemErrorText(error) + "\n导出的内容保存在 " + kept;
}

DurableFile::DurableFile(const fs::path& target) : state_(std::make_unique<State>()) {
  state_->Prepare(target);
}

DurableFile::~DurableFile() {
  state_->file.reset();
  if (!state_->temporary.empty()) {
    ::DeleteFileW(state_->temporary.c_str());
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
    return SystemErrorText(ERROR_INVALID_FUNCTION);
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
    HandleSink sink(::GetStdHandle(STD_OUTPUT_HANDLE));
    write(sink);
  });
}

}  // namespace wandlink
