#include "log_text.h"

#include <sstream>

namespace wandlink {
namespace {

void WriteField(std::ostream& out, std::string_view text, const LogFormat& format) {
  const char needsQuotes[] = {format.separator, '\r', '\n', format.quoted ? '"' : '\0', '\0'};
  if (text.find_first_of(needsQuotes) == std::string_view::npos) {
    out << text;
    return;
  }
  out << '"';
  for (const char c : text) {
    out << c;
    if (c == '"') {
      out << '"';
    }
  }
  out << '"';
}

template <typename CellText>
void WriteLine(std::ostream& out, const DownloadLog& log, const LogFormat& format,
               CellText cellText) {
  for (int column = 0; column < log.ColumnCount(); ++column) {
    if (column > 0) {
      out << format.separator;
    }
    WriteField(out, cellText(column), format);
  }
  out << format.lineEnd;
}

template <typename EachRow>
void Write(std::ostream& out, const DownloadLog& log, const LogFormat& format, EachRow eachRow) {
  if (format.byteOrderMark) {
    out << "\xEF\xBB\xBF";
  }
  WriteLine(out, log, format, [&](int column) { return log.Heading(column); });
  eachRow([&](std::size_t row) {
    if (row < log.RowCount()) {
      WriteLine(out, log, format, [&](int column) { return log.CellText(row, column); });
    }
  });
  out.flush();
}

}  // namespace

void WriteLog(std::ostream& out, const DownloadLog& log, const LogFormat& format) {
  Write(out, log, format, [&](const auto& writeRow) {
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
      writeRow(row);
    }
  });
}

void WriteLogRows(std::ostream& out, const DownloadLog& log, std::span<const std::size_t> rows,
                  const LogFormat& format) {
  Write(out, log, format, [&](const auto& writeRow) {
    for (const std::size_t row : rows) {
      writeRow(row);
    }
  });
}

std::string LogRowsText(const DownloadLog& log, std::span<const std::size_t> rows,
                        const LogFormat& format) {
  std::ostringstream text;
  WriteLogRows(text, log, rows, format);
  return std::move(text).str();
}

}  // namespace wandlink
