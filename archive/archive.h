// archive: every reading kept once, with the year it had when first seen, in a plain SQLite
// file any SQLite tool can read. Uses the wand (wandlink) only; the windows and the collector
// build on it.
//
// The file holds:
// - logs: one row per log a wand has had (a wand cleared, replaced or wrapped starts a new one);
// - downloads: each complete download, when it was read, from which wand and port, in which
//   month mode, how many readings, and which log it belongs to;
// - readings: each reading once, by log and position, with its nine bytes as received, its
//   time with the year it was first given, its button and the download that first brought it;
// - archived_readings: the view integrators query, kept stable;
// - guards and checkpoints: the names an operator gives wands and buttons (see names.h); an
//   archive from before them reads as having none.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sqlite_api.h"
#include "wandlink/download_log.h"

namespace archive {

struct Archive {
  const SqliteApi* sqlite = nullptr;
  std::filesystem::path file;
};

struct ArchiveResult {
  // How many readings were new to the archive.
  std::size_t added = 0;
  // Why nothing was archived; empty when the download was.
  std::string failure;
  // Where a file that was no archive, or a damaged one, was moved to; empty when none was.
  std::filesystem::path movedAside;
};

// Adds the complete download's readings the archive does not hold yet, all or none, and gives
// the log's readings the archive already held their archived time (the year they had then).
// A download that does not begin with the frames archived for its wand's current log starts a
// new log. The log must carry its frames.
ArchiveResult ArchiveDownload(const Archive& archive, wandlink::DownloadLog& log,
                              std::string_view port);

// Gives the readings the archive already holds their archived time, writing nothing. Quiet on
// every failure: the log then keeps the times it has.
void ApplyArchivedTimes(const Archive& archive, wandlink::DownloadLog& log);

// Which archived readings are shown; every field empty shows all.
struct HistoryFilter {
  // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM", both included.
  std::string from;
  std::string to;
  // A wand or button number as printed.
  std::string wand;
  std::string button;
  // A guard's or checkpoint's name: every wand or button that has it.
  std::string guard;
  std::string place;
};

// The archived readings the filter selects, newest first, one wand number per row, with the
// guard and checkpoint columns; none when there is no archive yet. Throws SqliteError when the
// archive cannot be read.
wandlink::DownloadLog ReadHistory(const Archive& archive, const HistoryFilter& filter);

// True for "YYYY-MM-DD" or "YYYY-MM-DD HH:MM".
bool IsHistoryBound(std::string_view text);

}  // namespace archive
