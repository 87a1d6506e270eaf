// Putting a file's whole contents in place of the file at a path, so that neither a failure
// nor a crash or power cut leaves a half-written file, or harms the file that was there:
//
// - the target is opened as the user would open it, so the system's checks (permissions, a
//   read-only file, links planted in a shared folder) refuse what they refuse for any program,
//   and what that open reached is replaced; a target reached through a link to an open file
//   (/dev/stdout, /proc/PID/fd/N) is written in place instead, as it stands for that file;
// - the target must be a regular file with one name, or absent: a pipe, socket, device or
//   folder is refused, and so is a file with several hard links, which a replace would split;
// - the contents go to a temporary file of a short unique name in the target's folder, created
//   exclusively (mkstemp; CREATE_NEW) before anything is written, so a name as long as the
//   system allows works and a folder that cannot take the file is found out first;
// - it is flushed to the disk (fsync; FlushFileBuffers) before it replaces the target, and on
//   Linux the folder is synced after the rename;
// - on Windows the replace is ReplaceFileW when the target exists, keeping its attributes and
//   security, else MoveFileExW with MOVEFILE_WRITE_THROUGH; on Linux a rename, the new file
//   with the old one's owner and group (where the user may give them) and permission bits
//   without set-user-ID and set-group-ID;
// - on a failure the temporary file is removed, unless it is the only copy left, and the reason
//   is the system's own, in the user's language (strerror; FormatMessageW). Temporary files left
//   by a program killed while writing are removed by a later export to that folder on Linux
//   once they are a day old.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "byte_sink.h"

namespace wandlink {

inline constexpr std::string_view kNotARegularFileReason =
    "目标不是普通文件(而是管道、套接字、设备或文件夹),不能用导出的文件替换";
inline constexpr std::string_view kSeveralLinksReason =
    "目标文件有多个硬链接,替换它会把这些链接拆开;请先删除它或另选文件名";

// Writes a file's contents into the sink it is given.
using ContentWriter = std::function<void(ByteSink&)>;

class DurableFile {
 public:
  // Checks the target and creates the temporary file; Failure() tells why that failed.
  explicit DurableFile(const std::filesystem::path& target);
  // Removes the temporary file unless the contents went in place.
  ~DurableFile();
  DurableFile(const DurableFile&) = delete;
  DurableFile& operator=(const DurableFile&) = delete;

  const std::string& Failure() const;

  // Writes the contents and puts them in place of the target, once. Returns why it failed, or
  // an empty text.
  std::string Write(const ContentWriter& write);

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Returns why it failed, or an empty text.
std::string WriteFileDurably(const std::filesystem::path& target, const ContentWriter& write);

// Writes the contents to the standard output as they are made (a pipe, a terminal or a file).
std::string WriteStandardOutput(const ContentWriter& write);

}  // namespace wandlink
