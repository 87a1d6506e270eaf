#include "table_output.h"

#include <string>
#include <string_view>

namespace wandread {
namespace {

void WriteField(std::ostream& out, std::string_view text, TableFormat format) {
  if (format == TableFormat::Tabs || text.find_first_of(",\"\r\n") == std::string_view::npos) {
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
void WriteLine(std::ostream& out, TableFormat format, CellText cellText) {
  for (int column = 0; column < wandlink::kColumnCount; ++column) {
    if (column > 0) {
      out << (format == TableFormat::Csv ? ',' : '\t');
    }
    WriteField(out, cellText(column), format);
  }
  out << (format == TableFormat::Csv ? "\r\n" : "\n");
}

}  // namespace

void WriteTable(std::ostream& out, const wandlink::DownloadLog& log, TableFormat format) {
  WriteLine(out, format, [](int column) { return wandlink::kColumnHeadings[column]; });
  for (std::size_t row = 0; row < log.RowCount(); ++row) {
    WriteLine(out, format, [&](int column) { return log.CellText(row, column); });
  }
  out.flush();
}

}  // namespace wandread
