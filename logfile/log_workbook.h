// A downloaded log as an Excel workbook (.xlsx), for spreadsheet programs that would otherwise
// change it: one sheet, the heading row in bold, frozen and with an autofilter, then one row per
// record. 序号 is a number; 棒号 and 钮号 are text cells exactly as the table shows them (a wand
// "0123" or "12E4" stays so); 日期 is a date-time value shown as yyyy-mm-dd hh:mm, or the
// table's text when it is no valid time. A log with the name columns (the archive's history)
// adds 巡检员 and 巡检点 as text, each row with its own wand, in a sheet titled 巡检记录. The
// document properties name Korvanta and the time the log was read.
//
// The workbook is a ZIP (zip_archive) of the few XML parts that Excel, LibreOffice and
// openpyxl all need, written here rather than with a workbook library: Debian's libxlsxwriter
// has no Windows build to link the Windows programs with, and these parts are small. It is
// written as it is made, so a sheet's worth of records takes a few megabytes beyond the log.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "byte_sink.h"
#include "wandlink/download_log.h"

namespace wandlink {

// A sheet has 1048576 rows, the heading row among them.
inline constexpr std::size_t kWorkbookRecordLimit = 1'048'575;

// Told now and then how many of the rows are written.
using ExportProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the workbook's bytes. Throws std::length_error for a log past kWorkbookRecordLimit,
// and what the sink throws.
void WriteWorkbook(const DownloadLog& log, ByteSink& out, const ExportProgress& progress = {});

// A time stamp "yyyy-mm-dd hh:mm" as a spreadsheet's date-time value (days since 1899-12-30);
// nothing for any other text, a date that does not exist (a day 0), or one before March 1900.
std::optional<double> SpreadsheetDateTime(std::string_view timeText);

}  // namespace wandlink
