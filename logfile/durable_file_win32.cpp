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

bool WriteAll(HANDLE file, std::string_view contents) {
  while (!contents.empty()) {
    const auto chunk = static_cast<DWORD>(std::min(contents.size(), kWriteChunk));
    DWORD written = 0;
    if (!::WriteFile(file, contents.data(), chunk, &written, nullptr)) {
      return false;
    }
    contents.remove_prefix(written);
  }
  return true;
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

std::string WriteFileDurably(const fs::path& target, std::string_view contents) {
  const std::wstring destination = FollowLinks(ExtendedPath(target.wstring()));
  const std::wstring folder = destination.substr(0, destination.find_last_of(L'\\'));

  std::wstring temporary;
  UniqueHandle file;
  for (int attempt = 0; attempt < kNameAttempts && !file; ++attempt) {
    temporary = TemporaryName(folder);
    file = OwnFileHandle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && ::GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  if (!file) {
    return SystemErrorText(::GetLastError());
  }
  bool written = WriteAll(file.get(), contents) && ::FlushFileBuffers(file.get());
  DWORD error = ::GetLastError();
  if (!::CloseHandle(file.release()) && written) {
    written = false;
    error = ::GetLastError();
  }
  if (written) {
    const bool exists = ::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES;
    error = exists ? WhyNotReplaceable(destination) : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS) {
      if (exists ? ::ReplaceFileW(destination.c_str(), temporary.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                 : ::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return {};
      }
      error = ::GetLastError();
      // The target gone and the new file still under its temporary name: it goes in place.
      if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
          ::GetFileAttributesW(destination.c_str()) == INVALID_FILE_ATTRIBUTES &&
          ::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return {};
      }
    }
  }
  ::DeleteFileW(temporary.c_str());
  return SystemErrorText(error);
}

}  // namespace wandlink
