// The archive's file on the disk: where it lives by default, what kind of folder holds it, and
// moving a damaged one out of the way.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace archive {

// The system's place for it: ${XDG_DATA_HOME:-~/.local/share}/korvanta/archive.sqlite on
// Linux, %LOCALAPPDATA%\Korvanta\archive.sqlite on Windows. Nothing when the system names no
// such folder.
std::optional<std::filesystem::path> DefaultArchiveFile();

// True when the folder is on another computer (a network share), where SQLite's WAL journal
// cannot work.
bool OnNetworkFolder(const std::filesystem::path& folder);

// Renames the file (and its journals) to a dated name beside it, never deleting anything.
// Returns the new name, or an empty path with the reason in why.
std::filesystem::path MoveAside(const std::filesystem::path& file, std::string& why);

}  // namespace archive
