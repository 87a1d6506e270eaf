// logfile: the downloaded log as files and text. The table as text and CSV, the clipboard's
// HTML, the Excel workbook and the ZIP it is packed in, the file that replaces its target whole
// or not at all, and the export that writes them. Uses the wand (wandlink) only; the only wing
// that links zlib.
//
// Exporting a downloaded log to a file for spreadsheet programs: an Excel workbook (.xlsx,
// log_workbook), which keeps every cell as the table shows it, or a CSV file (UTF-8 with a byte
// order mark, CR LF line ends, RFC 4180 quoting) for programs that read CSV; a spreadsheet
// opening the CSV reads a wand "0123" or "12E4" as a number.
#pragma once

#include <filesystem>
#include <string>

#include "byte_sink.h"
#include "log_workbook.h"
#include "wandlink/download_log.h"

namespace wandlink {

enum class ExportType { Workbook, Csv };

// The type a file name asks for: CSV for a name ending in ".csv" (in any case), else a workbook.
ExportType ExportTypeOf(const std::filesystem::path& target);

// The file name's extension for the type, with its dot.
const char* ExportExtension(ExportType type);

// Writes the whole log as the type says. Throws what the sink throws, std::bad_alloc, and
// std::length_error for a workbook of more than kWorkbookRecordLimit records.
void WriteExport(const DownloadLog& log, ExportType type, ByteSink& out,
                 const ExportProgress& progress = {});

// Writes the whole log as the type says, in place of the target (durable_file): a failure never
// leaves a half-written file, nor harms a file already there. Returns why it failed, or an
// empty text.
std::string ExportLog(const DownloadLog& log, const std::filesystem::path& target, ExportType type,
                      const ExportProgress& progress = {});

inline std::string ExportLog(const DownloadLog& log, const std::filesystem::path& target) {
  return ExportLog(log, target, ExportTypeOf(target));
}

// The reason a workbook cannot hold the log, or an empty text.
std::string WorkbookRefusal(const DownloadLog& log);

// "<wand number>-<yyyymmdd-hhmm>.xlsx" (or ".csv"), after the time the log was read; a log with
// the name columns (the history) "巡检记录-<yyyymmdd-hhmm>.xlsx".
std::string SuggestedExportName(const DownloadLog& log, ExportType type = ExportType::Workbook);

// A path from UTF-8 text, on every system (on Windows a plain std::string is the ANSI code
// page's).
std::filesystem::path PathFromUtf8(std::string_view utf8);

}  // namespace wandlink
