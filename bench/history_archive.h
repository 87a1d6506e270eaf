// A million readings in an archive, as the history benchmarks measure them: 50 wands of 20000
// readings each over 2000 buttons and 111 days, most wands and buttons named (some buttons
// sharing a checkpoint's name). A brief run makes a few hundred.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "archive/archive.h"

namespace bench {

// Makes the archive in the folder; nothing when the system has no SQLite or archiving fails.
std::optional<archive::Archive> MakeHistoryArchive(const std::filesystem::path& folder);

double Milliseconds(const std::function<void()>& work);

// The process's resident memory, in bytes.
double ResidentBytes();

}  // namespace bench
