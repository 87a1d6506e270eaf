#include <shlobj.h>
#include <windows.h>

#include "archive_file.h"

namespace archive {

std::optional<std::filesystem::path> DefaultArchiveFile() {
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder);
  std::optional<std::filesystem::path> file;
  if (SUCCEEDED(found)) {
    file = std::filesystem::path(folder) / L"Korvanta" / L"archive.sqlite";
  }
  CoTaskMemFree(folder);
  return file;
}

bool OnNetworkFolder(const std::filesystem::path& folder) {
  const std::wstring root = folder.root_path().wstring();
  // A \\server\share path, or a drive letter mapped to one.
  return root.starts_with(L"\\\\") || GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}

}  // namespace archive
