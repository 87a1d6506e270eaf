// Exporting a downloaded log to a CSV file for spreadsheet programs.
#pragma once

#include <filesystem>
#include <string>

#include "download_log.h"

namespace wandlink {

// Writes the heading line and every row as CSV (UTF-8 with a byte order mark, CR LF line ends).
// The text goes to a temporary file beside the target, which is renamed into place only once it
// is whole: a failure never leaves a half-written file, nor harms a file already there.
// Returns why it failed, or an empty text.
std::string ExportLog(const DownloadLog& log, const std::filesystem::path& target);

// "<wand number>-<yyyymmdd-hhmm>.csv", after the time the log was read.
std::string SuggestedExportName(const DownloadLog& log);

}  // namespace wandlink
