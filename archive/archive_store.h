// Writing to the archive's file, shared by the archiving and the names: the file (and its
// folder) made with the whole schema when there is none, one transaction at a time.
#pragma once

#include <functional>

#include "archive.h"
#include "sqlite_db.h"

namespace archive {

// Long enough for another program's archiving of a full wand, short enough that a file held
// for good is reported while the operator still waits.
inline constexpr int kBusyTimeoutMs = 10'000;

// Runs write in one transaction that holds the write lock from its start, on the archive's
// file with its whole schema: all or none. Throws SqliteError, or what write throws.
void WriteInTransaction(const Archive& archive, const std::function<void(Database&)>& write);

}  // namespace archive
