// A downloaded log as text: a heading line, then one line per row, cell for cell as the records
// table shows them, in UTF-8. The collector prints it, the windows copy it to the clipboard and
// export it to a file.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "wandlink/download_log.h"

namespace wandlink {

struct LogFormat {
  char separator;
  std::string_view lineEnd;
  // Quotes a field that holds a quote, as RFC 4180 has it. A field that holds the separator or
  // a line break (a name may) is quoted in every format, so that it stays one cell.
  bool quoted;
  // Starts the text with a UTF-8 byte order mark, so that spreadsheet programs read the
  // Chinese headings right.
  bool byteOrderMark;
};

inline constexpr LogFormat kTabSeparated{'\t', "\n", false, false};
// The clipboard's text on Windows ends its lines in CR LF.
inline constexpr LogFormat kTabSeparatedCrlf{'\t', "\r\n", false, false};
inline constexpr LogFormat kCsv{',', "\r\n", true, false};
inline constexpr LogFormat kCsvFile{',', "\r\n", true, true};

// The heading line and every row.
void WriteLog(std::ostream& out, const DownloadLog& log, const LogFormat& format);

// The heading line and the given rows, in the order given; rows past the log's end are skipped.
void WriteLogRows(std::ostream& out, const DownloadLog& log, std::span<const std::size_t> rows,
                  const LogFormat& format);

std::string LogRowsText(const DownloadLog& log, std::span<const std::size_t> rows,
                        const LogFormat& format);

}  // namespace wandlink
