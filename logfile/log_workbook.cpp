#include "log_workbook.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "zip_archive.h"

namespace wandlink {
namespace {

constexpr std::string_view kSheetName = "记录";
// The sheet and title of a log with the name columns, the archive's history.
constexpr std::string_view kHistoryTitle = "巡检记录";

std::string_view SheetName(const DownloadLog& log) {
  return log.HasNameColumns() ? kHistoryTitle : kSheetName;
}

// The cell formats of styles.xml, by their index there. Text is indented and 序号 centred, so
// that a number never reads as one with the text beside it ("1" and "0123" as "10123").
enum Style { kPlain = 0, kHeading = 1, kDateTime = 2, kText = 3, kSequence = 4 };

// The spreadsheets' day 0, and the first day after 1900's nonexistent February 29 that Excel
// counts (so that serial numbers before it are off by one).
constexpr std::chrono::sys_days kSpreadsheetEpoch{std::chrono::year{1899} / 12 / 30};
constexpr std::chrono::sys_days kFirstSafeDay{std::chrono::year{1900} / 3 / 1};

std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

void AppendInteger(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  out.append(digits, end);
}

void AppendReal(std::string& out, double value) {
  char digits[32];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  out.append(digits, end);
}

// Text for XML content or a quoted attribute. Characters XML cannot carry, and a "_x" that a
// reader would take for such an escape, are written as OOXML's _xHHHH_.
void AppendEscaped(std::string& out, std::string_view text) {
  const auto hexEscape = [&out](unsigned char c) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    out += "_x00";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
    out += '_';
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
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
      case '_':
        if (text.substr(i + 1, 1) == "x") {
          hexEscape(c);
        } else {
          out += '_';
        }
        break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          hexEscape(c);
        } else {
          out += static_cast<char>(c);
        }
    }
  }
}

// The width a text takes in a cell, in digit widths: a Chinese character takes two.
std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      ++width;
    } else if (byte >= 0xE0) {
      width += 2;  // the lead byte of a three- or four-byte sequence
    } else if (byte >= 0xC0) {
      ++width;
    }
  }
  return width;
}

// A text of the workbook, named by where it is rather than copied: a sheet's worth of distinct
// button numbers is a million texts, which the shared strings then hold in a few bytes each.
// 0 to 5 are the headings, then the log's wand number, then each row's time stamp, button
// number and wand number, then the log's names, each once.
using TextId = std::uint32_t;
constexpr TextId kWandText = kNamedColumnCount;
constexpr TextId kTextsPerRow = 3;

constexpr TextId TimeTextId(std::size_t row) {
  return static_cast<TextId>(kWandText + 1 + row * kTextsPerRow);
}
constexpr TextId ButtonTextId(std::size_t row) {
  return TimeTextId(row) + 1;
}
constexpr TextId RowWandTextId(std::size_t row) {
  return TimeTextId(row) + 2;
}
TextId NameTextId(const DownloadLog& log, std::uint32_t name) {
  return TimeTextId(log.RowCount()) + name;
}

std::string_view TextOf(const DownloadLog& log, TextId id) {
  if (id < kWandText) {
    return kNamedColumnHeadings[id];
  }
  if (id == kWandText) {
    return log.wandNumber.data();
  }
  if (id >= TimeTextId(log.RowCount())) {
    return log.names[id - TimeTextId(log.RowCount())];
  }
  const std::size_t row = (id - kWandText - 1) / kTextsPerRow;
  switch ((id - kWandText - 1) % kTextsPerRow) {
    case 0:
      return log.timeStamps[row].data();
    case 1:
      return log.buttonNumbers[row].data();
    default:
      return log.rowWandNumbers[row].data();
  }
}

// Shared strings: each distinct text once, cells refer to it by index (the order of first use).
// The index is an open-addressed hash table; each slot holds a position in that order and a
// few bits of the text's hash, so that a probe seldom has to read the text itself.
class StringTable {
 public:
  explicit StringTable(const DownloadLog& log) : log_(log), slots_(1024, 0) {}

  std::uint32_t Index(TextId id) {
    ++uses_;
    if ((order_.size() + 1) * 4 > slots_.size() * 3) {
      Grow();
    }
    const std::string_view text = TextOf(log_, id);
    const std::size_t hash = std::hash<std::string_view>{}(text);
    const std::uint32_t tag = Tag(hash);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t entry = slots_[slot];
      if (entry == 0) {
        order_.push_back(id);
        slots_[slot] = tag | static_cast<std::uint32_t>(order_.size());
        return static_cast<std::uint32_t>(order_.size() - 1);
      }
      const std::uint32_t index = (entry & kPositionMask) - 1;
      if ((entry & ~kPositionMask) == tag && TextOf(log_, order_[index]) == text) {
        return index;
      }
    }
  }

  template <typename Flush>
  void WriteXml(std::string& xml, Flush flush) const {
    xml += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           "\n"
           R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count=")";
    AppendInteger(xml, uses_);
    xml += R"(" uniqueCount=")";
    AppendInteger(xml, order_.size());
    xml += "\">";
    for (const TextId id : order_) {
      const std::string_view text = TextOf(log_, id);
      const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
      const bool edgeSpace = !text.empty() && (space(text.front()) || space(text.back()));
      xml += edgeSpace ? R"(<si><t xml:space="preserve">)" : "<si><t>";
      AppendEscaped(xml, text);
      xml += "</t></si>";
      flush();
    }
    xml += "</sst>";
  }

 private:
  // A position needs 22 bits: a sheet has at most 1048575 distinct times, as many buttons,
  // 65536 wands and a name for each wand and button, with the headings.
  static constexpr int kPositionBits = 22;
  static constexpr std::uint32_t kPositionMask = (std::uint32_t{1} << kPositionBits) - 1;

  // The hash's top bits, which choose no slot, above the position's.
  static std::uint32_t Tag(std::size_t hash) {
    return static_cast<std::uint32_t>(hash >> (sizeof hash * 8 - (32 - kPositionBits)))
           << kPositionBits;
  }

  void Grow() {
    std::vector<std::uint32_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t index = 0; index < order_.size(); ++index) {
      const std::size_t hash = std::hash<std::string_view>{}(TextOf(log_, order_[index]));
      std::size_t slot = hash & mask;
      while (slots[slot] != 0) {
        slot = (slot + 1) & mask;
      }
      slots[slot] = Tag(hash) | static_cast<std::uint32_t>(index + 1);
    }
    slots_ = std::move(slots);
  }

  const DownloadLog& log_;
  std::vector<std::uint32_t> slots_;
  std::vector<TextId> order_;
  std::uint64_t uses_ = 0;
};

// XML made in a small buffer and handed to the ZIP entry whenever the buffer fills.
class PartWriter {
 public:
  explicit PartWriter(ZipArchive& zip) : zip_(zip) { xml_.reserve(kFlushAt + 1024); }

  std::string& Xml() { return xml_; }
  void FlushWhenFull() {
    if (xml_.size() >= kFlushAt) {
      Flush();
    }
  }
  void Flush() {
    zip_.Write(xml_);
    xml_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 60 * 1024;
  ZipArchive& zip_;
  std::string xml_;
};

class SheetWriter {
 public:
  SheetWriter(StringTable& strings, std::string& xml) : strings_(strings), xml_(xml) {}

  void StartRow(std::size_t row) {
    row_ = row;
    column_ = 0;
    xml_ += "<row r=\"";
    AppendInteger(xml_, row_);
    xml_ += "\">";
  }
  void EndRow() { xml_ += "</row>"; }

  void Number(std::uint64_t value, Style style = kPlain) {
    StartCell(style, nullptr);
    AppendInteger(xml_, value);
    xml_ += "</v></c>";
  }
  void Number(double value, Style style) {
    StartCell(style, nullptr);
    AppendReal(xml_, value);
    xml_ += "</v></c>";
  }
  void Text(TextId text, Style style) {
    const std::uint32_t index = strings_.Index(text);
    StartCell(style, "s");
    AppendInteger(xml_, index);
    xml_ += "</v></c>";
  }
  // No cell: the column stays empty.
  void Skip() { ++column_; }

 private:
  void StartCell(Style style, const char* type) {
    xml_ += "<c r=\"";
    xml_ += static_cast<char>('A' + column_++);
    AppendInteger(xml_, row_);
    if (style != kPlain) {
      xml_ += "\" s=\"";
      AppendInteger(xml_, static_cast<std::uint64_t>(style));
    }
    if (type != nullptr) {
      xml_ += "\" t=\"";
      xml_ += type;
    }
    xml_ += "\"><v>";
  }

  StringTable& strings_;
  std::string& xml_;
  std::size_t row_ = 0;
  int column_ = 0;
};

char LastColumn(const DownloadLog& log) {
  return static_cast<char>('A' + log.ColumnCount() - 1);
}

std::string LastCell(const DownloadLog& log) {
  return std::string("$") + LastColumn(log) + "$" + std::to_string(log.RowCount() + 1);
}

// The rows the sheet writes: the log's, as far as both its columns go.
std::size_t SheetRows(const DownloadLog& log) {
  return std::min(log.RowCount(), log.buttonNumbers.size());
}

// Each column as wide as its widest text, in digit widths.
std::vector<std::size_t> ColumnWidths(const DownloadLog& log) {
  std::vector<std::size_t> widths(static_cast<std::size_t>(log.ColumnCount()));
  for (int column = 0; column < log.ColumnCount(); ++column) {
    // Room for the autofilter's button beside a heading.
    widths[static_cast<std::size_t>(column)] = DisplayWidth(log.Heading(column)) + 3;
  }
  const auto fit = [&widths](int column, std::size_t width) {
    auto& widest = widths[static_cast<std::size_t>(column)];
    widest = std::max(widest, width);
  };
  fit(1, DisplayWidth(log.wandNumber.data()));
  for (std::size_t row = 0; row < SheetRows(log); ++row) {
    const std::string_view time = log.timeStamps[row].data();
    fit(2, SpreadsheetDateTime(time) ? time.size() : DisplayWidth(time));
    fit(3, DisplayWidth(log.buttonNumbers[row].data()));
    if (row < log.rowWandNumbers.size()) {
      fit(1, DisplayWidth(log.rowWandNumbers[row].data()));
    }
  }
  // A name column as wide as its widest name, a line of a name of several lines.
  const auto nameWidth = [&log](const std::vector<std::uint32_t>& rows) {
    std::vector<char> used(log.names.size());
    for (const std::uint32_t name : rows) {
      if (name < used.size()) {
        used[name] = 1;
      }
    }
    std::size_t widest = 0;
    for (std::size_t name = 0; name < used.size(); ++name) {
      std::string_view lines = used[name] ? std::string_view(log.names[name]) : std::string_view();
      while (!lines.empty()) {
        const std::size_t end = std::min(lines.find('\n'), lines.size());
        widest = std::max(widest, DisplayWidth(lines.substr(0, end)));
        lines.remove_prefix(std::min(end + 1, lines.size()));
      }
    }
    return widest;
  };
  if (log.HasNameColumns()) {
    fit(4, nameWidth(log.rowGuards));
    fit(5, nameWidth(log.rowPlaces));
  }
  fit(0, std::to_string(log.RowCount()).size());
  return widths;
}

// How often the sheet reports its progress, in rows.
constexpr std::size_t kProgressStep = 4096;

void WriteSheet(const DownloadLog& log, StringTable& strings, PartWriter& part,
                const ExportProgress& progress) {
  const std::size_t rowCount = log.RowCount();
  std::string& xml = part.Xml();
  xml += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         "\n"
         R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)";
  const std::string range = std::string("A1:") + LastColumn(log) + std::to_string(rowCount + 1);
  xml += "<dimension ref=\"" + range + "\"/>";
  // The heading row frozen above the rows.
  xml += R"(<sheetViews><sheetView tabSelected="1" workbookViewId="0">)"
         R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"
         R"(<selection pane="bottomLeft" activeCell="A2" sqref="A2"/></sheetView></sheetViews>)";
  xml += "<cols>";
  const auto widths = ColumnWidths(log);
  for (std::size_t column = 0; column < widths.size(); ++column) {
    const std::string number = std::to_string(column + 1);
    xml += "<col min=\"" + number + "\" max=\"" + number + "\" width=\"" +
           std::to_string(widths[column] + 2) + "\" customWidth=\"1\"/>";
  }
  xml += "</cols><sheetData>";

  SheetWriter sheet(strings, xml);
  sheet.StartRow(1);
  for (TextId heading = 0; heading < static_cast<TextId>(log.ColumnCount()); ++heading) {
    sheet.Text(heading, kHeading);
  }
  sheet.EndRow();
  const auto nameCell = [&](const std::vector<std::uint32_t>& names, std::size_t row) {
    const std::uint32_t name = row < names.size() && names[row] < log.names.size() ? names[row] : 0;
    if (log.names[name].empty()) {
      sheet.Skip();
    } else {
      sheet.Text(NameTextId(log, name), kText);
    }
  };
  for (std::size_t row = 0; row < SheetRows(log); ++row) {
    sheet.StartRow(row + 2);
    sheet.Number(static_cast<std::uint64_t>(row + 1), kSequence);
    sheet.Text(row < log.rowWandNumbers.size() ? RowWandTextId(row) : kWandText, kText);
    if (const auto value = SpreadsheetDateTime(log.timeStamps[row].data())) {
      sheet.Number(*value, kDateTime);
    } else {
      sheet.Text(TimeTextId(row), kText);
    }
    sheet.Text(ButtonTextId(row), kText);
    if (log.HasNameColumns()) {
      nameCell(log.rowGuards, row);
      nameCell(log.rowPlaces, row);
    }
    sheet.EndRow();
    part.FlushWhenFull();
    if (progress && row % kProgressStep == 0) {
      progress(row, rowCount);
    }
  }
  xml += "</sheetData><autoFilter ref=\"" + range + "\"/>";
  xml +=
      R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)";
  xml += "</worksheet>";
  part.Flush();
}

std::string Workbook(const DownloadLog& log) {
  std::string xml =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      "\n"
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<bookViews><workbookView/></bookViews><sheets><sheet name=")";
  xml += SheetName(log);
  xml += R"(" sheetId="1" r:id="rId1"/></sheets>)";
  // The autofilter's range, as Excel keeps it.
  xml += R"(<definedNames><definedName name="_xlnm._FilterDatabase" localSheetId="0" hidden="1">')";
  xml += SheetName(log);
  xml += "'!$A$1:" + LastCell(log) + "</definedName></definedNames></workbook>";
  return xml;
}

constexpr std::string_view kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
    R"(<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"
    R"(<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>)"
    R"(</Types>)";

constexpr std::string_view kPackageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" Target="docProps/app.xml"/>)"
    R"(</Relationships>)";

constexpr std::string_view kWorkbookRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
    R"(</Relationships>)";

// The cell formats in the order of Style; 164 is the first number format a workbook may define,
// 49 the built-in text format "@".
constexpr std::string_view kStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy-mm-dd hh:mm"/></numFmts>)"
    R"(<fonts count="2">)"
    R"(<font><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>)"
    R"(<font><b/><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>)"
    R"(</fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill>)"
    R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="5">)"
    R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>)"
    R"(<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1")"
    R"( applyAlignment="1"><alignment horizontal="left" indent="1"/></xf>)"
    R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0" applyAlignment="1">)"
    R"(<alignment horizontal="center"/></xf>)"
    R"(</cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

constexpr std::string_view kApplicationProperties =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties">)"
    R"(<Application>Korvanta</Application></Properties>)";

// The local time as W3CDTF in UTC, after the system's time zone; nothing for an unset time.
std::string UtcTimeText(const LocalTime& local) {
  if (local.month < 1 || local.month > 12 || local.day < 1) {
    return {};
  }
  std::tm broken{};
  broken.tm_year = local.year - 1900;
  broken.tm_mon = local.month - 1;
  broken.tm_mday = local.day;
  broken.tm_hour = local.hour;
  broken.tm_min = local.minute;
  broken.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&broken);
  if (seconds == static_cast<std::time_t>(-1)) {
    return {};
  }
  const auto utc = std::chrono::system_clock::from_time_t(seconds);
  const auto day = std::chrono::floor<std::chrono::days>(utc);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{std::chrono::floor<std::chrono::seconds>(utc - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::string CoreProperties(const DownloadLog& log) {
  std::string xml =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      "\n"
      R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" )"
      R"(xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" )"
      R"(xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">)";
  xml += "<dc:title>";
  AppendEscaped(xml, log.HasNameColumns()
                         ? std::string(kHistoryTitle)
                         : std::string(kColumnHeadings[1]) + " " + log.wandNumber.data());
  xml += "</dc:title><dc:creator>Korvanta</dc:creator>";
  xml += "<cp:lastModifiedBy>Korvanta</cp:lastModifiedBy>";
  if (const std::string read = UtcTimeText(log.readAt); !read.empty()) {
    xml += R"(<dcterms:created xsi:type="dcterms:W3CDTF">)" + read + "</dcterms:created>";
    xml += R"(<dcterms:modified xsi:type="dcterms:W3CDTF">)" + read + "</dcterms:modified>";
  }
  xml += "</cp:coreProperties>";
  return xml;
}

}  // namespace

std::optional<double> SpreadsheetDateTime(std::string_view text) {
  // yyyy-mm-dd hh:mm
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') {
    return std::nullopt;
  }
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  if (!year || !month || !day || !hour || !minute || *hour > 23 || *minute > 59) {
    return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year{*year},
                                         std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok() || std::chrono::sys_days{date} < kFirstSafeDay) {
    return std::nullopt;
  }
  return static_cast<double>((std::chrono::sys_days{date} - kSpreadsheetEpoch).count()) +
         (*hour * 60 + *minute) / 1440.0;
}

void WriteWorkbook(const DownloadLog& log, ByteSink& out, const ExportProgress& progress) {
  if (log.RowCount() > kWorkbookRecordLimit) {
    throw std::length_error("a sheet holds at most 1048575 records");
  }
  ZipArchive zip(out, log.readAt);
  zip.Add("[Content_Types].xml", kContentTypes);
  zip.Add("_rels/.rels", kPackageRelationships);
  zip.Add("docProps/core.xml", CoreProperties(log));
  zip.Add("docProps/app.xml", kApplicationProperties);
  zip.Add("xl/workbook.xml", Workbook(log));
  zip.Add("xl/_rels/workbook.xml.rels", kWorkbookRelationships);
  zip.Add("xl/styles.xml", kStyles);
  StringTable strings(log);
  PartWriter part(zip);
  zip.StartEntry("xl/worksheets/sheet1.xml");
  WriteSheet(log, strings, part, progress);
  zip.StartEntry("xl/sharedStrings.xml");
  strings.WriteXml(part.Xml(), [&part] { part.FlushWhenFull(); });
  part.Flush();
  zip.Finish();
}

}  // namespace wandlink
