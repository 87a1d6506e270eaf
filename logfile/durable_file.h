// Putting a file's whole contents in place of the file at a path, so that neither a failure
// nor a crash or power cut leaves a half-written file, or harms the file that was there:
//
// - the contents go to a temporary file of a short unique name in the target's folder, created
//   exclusively (mkstemp; CREATE_NEW), so a name as long as the system allows works;
// - it is flushed to the disk (fsync; FlushFileBuffers) before it replaces the target, and on
//   Linux the folder is synced after the rename;
// - on Windows the replace is ReplaceFileW when the target exists, keeping its attributes and
//   security, else MoveFileExW with MOVEFILE_WRITE_THROUGH; on Linux a rename, the new file
//   with the old one's permission bits (or those a new file gets);
// - a target that is a symbolic link is written through, at the link's destination;
// - on a failure the temporary file is removed and the reason is the system's own, in the
//   user's language (strerror; FormatMessageW).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace wandlink {

// Returns why it failed, or an empty text.
std::string WriteFileDurably(const std::filesystem::path& target, std::string_view contents);

}  // namespace wandlink
