#include <sys/vfs.h>

#include "archive_file.h"
#include "wandlink/environment.h"

namespace archive {

std::optional<std::filesystem::path> DefaultArchiveFile() {
  std::optional<std::filesystem::path> data = wandlink::PathFromEnvironment("XDG_DATA_HOME");
  if (!data) {
    const auto home = wandlink::PathFromEnvironment("HOME");
    if (!home) {
      return std::nullopt;
    }
    data = *home / ".local" / "share";
  }
  return *data / "korvanta" / "archive.sqlite";
}

bool OnNetworkFolder(const std::filesystem::path& folder) {
  struct statfs info {};
  if (::statfs(folder.c_str(), &info) != 0) {
    return false;
  }
  // NFS, SMB, CIFS, SMB2, Coda, AFS, Ceph and FUSE (sshfs and the like) as statfs names them.
  constexpr unsigned long kNetworkFileSystems[] = {0x6969,     0x517B,     0xFF534D42, 0xFE534D42,
                                                   0x73757245, 0x5346414F, 0x00C36400, 0x65735546};
  for (const unsigned long type : kNetworkFileSystems) {
    if (static_cast<unsigned long>(info.f_type) == type) {
      return true;
    }
  }
  return false;
}

}  // namespace archive
