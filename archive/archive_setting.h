// Which archive a program uses: on by default at the system's place; KORVANTA_ARCHIVE=PATH puts
// it elsewhere, KORVANTA_ARCHIVE=off turns it off.
#pragma once

#include <filesystem>
#include <optional>

#include "archive.h"

namespace archive {

// Nothing when the archive is off, or when the system has no SQLite.
std::optional<Archive> ArchiveFromEnvironment();

// Why ArchiveFromEnvironment gives nothing, for a window to say in one line.
enum class ArchiveAbsence { None, TurnedOff, NoSqlite, NoPlace };
ArchiveAbsence WhyNoArchive();

// The archive in the given file, whatever the environment says; nothing without SQLite.
std::optional<Archive> ArchiveAt(std::filesystem::path file);

}  // namespace archive
