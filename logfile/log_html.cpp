#include "log_html.h"

namespace wandlink {
namespace {

constexpr std::string_view kFragmentStart = "<!--StartFragment-->";
constexpr std::string_view kFragmentEnd = "<!--EndFragment-->";
constexpr std::string_view kTextCell = R"(<td style='mso-number-format:"\@"' sdnum="1033;0;@">)";

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\r':
        break;
      case '\n':
        // A line break within the cell, as Excel writes one.
        out += "<br style=\"mso-data-placement:same-cell\">";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::string LogRowsHtml(const DownloadLog& log, std::span<const std::size_t> rows) {
  std::string html =
      "<html>\r\n<head>\r\n"
      R"(<meta http-equiv="Content-Type" content="text/html; charset=utf-8">)"
      "\r\n</head>\r\n<body>\r\n";
  html.reserve(html.size() + (rows.size() + 2) * 180);
  html += kFragmentStart;
  html += "<table>\r\n<tr>";
  for (int column = 0; column < log.ColumnCount(); ++column) {
    const std::string_view heading = log.Heading(column);
    html += "<th>";
    html += heading;
    html += "</th>";
  }
  html += "</tr>\r\n";
  for (const std::size_t row : rows) {
    if (row >= log.RowCount()) {
      continue;
    }
    html += "<tr>";
    for (int column = 0; column < log.ColumnCount(); ++column) {
      // 棒号, 钮号 and the names are text; the sequence number and the time read as they should.
      html += column == 0 || column == 2 ? "<td>" : kTextCell;
      AppendEscaped(html, log.CellText(row, column));
      html += "</td>";
    }
    html += "</tr>\r\n";
  }
  html += "</table>";
  html += kFragmentEnd;
  html += "\r\n</body>\r\n</html>\r\n";
  return html;
}

std::string ClipboardHtmlFormat(std::string_view html) {
  // Every offset is written in ten digits, so the header's size is known before they are.
  const auto offset = [](std::size_t value) {
    std::string digits(10, '0');
    for (auto digit = digits.rbegin(); digit != digits.rend() && value > 0; ++digit, value /= 10) {
      *digit = static_cast<char>('0' + value % 10);
    }
    return digits;
  };
  const std::size_t headerSize =
      std::string_view("Version:0.9\r\n").size() + std::string_view("StartHTML:\r\n").size() +
      std::string_view("EndHTML:\r\n").size() + std::string_view("StartFragment:\r\n").size() +
      std::string_view("EndFragment:\r\n").size() + 4 * 10;
  const std::size_t start = html.find(kFragmentStart);
  const std::size_t end = html.find(kFragmentEnd);
  const std::size_t fragmentStart =
      start == std::string_view::npos ? 0 : start + kFragmentStart.size();
  const std::size_t fragmentEnd = end == std::string_view::npos ? html.size() : end;
  std::string text = "Version:0.9\r\nStartHTML:" + offset(headerSize) +
                     "\r\nEndHTML:" + offset(headerSize + html.size()) +
                     "\r\nStartFragment:" + offset(headerSize + fragmentStart) +
                     "\r\nEndFragment:" + offset(headerSize + fragmentEnd) + "\r\n";
  text += html;
  return text;
}

}  // namespace wandlink
