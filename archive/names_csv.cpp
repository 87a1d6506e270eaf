#include "names_csv.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <ranges>
#include <utility>

#include "text_encoding.h"

namespace archive {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kGb18030ByteOrderMark = "\x84\x31\x95\x33";
constexpr std::string_view kHeading = "号码,名称";

constexpr std::string_view kUnclosedQuote = "引号没有结束";
constexpr std::string_view kUndecodable = "含有无法识别的字符(既非 UTF-8,也非 GB18030)";
// A third column is refused rather than dropped: it is most often a name with a comma that was
// not put in quotes.
constexpr std::string_view kExtraColumns = "多于两列(名称含逗号时须加引号)";

// A record as it stands in the file, its fields still in the file's encoding.
struct CsvRecord {
  std::size_t line = 0;
  std::vector<std::string> fields;
  bool unclosedQuote = false;
};

bool LineBreakAt(std::string_view bytes, std::size_t at) {
  return bytes[at] == '\n' ||
         (bytes[at] == '\r' && (at + 1 == bytes.size() || bytes[at + 1] != '\n'));
}

// Splits the bytes into records as RFC 4180 has them, and as Excel writes them. Comma, quote,
// CR and LF are never part of a UTF-8 or GB18030 character, so the split is the same in
// either encoding.
std::vector<CsvRecord> SplitRecords(std::string_view bytes) {
  std::vector<CsvRecord> records;
  std::size_t line = 1;
  std::size_t at = 0;
  while (at < bytes.size()) {
    CsvRecord& record = records.emplace_back(CsvRecord{.line = line});
    for (bool ended = false; !ended;) {
      std::string field;
      if (at < bytes.size() && bytes[at] == '"') {
        record.unclosedQuote = true;
        for (++at; at < bytes.size(); ++at) {
          if (bytes[at] == '"') {
            if (at + 1 < bytes.size() && bytes[at + 1] == '"') {
              field += '"';
              ++at;
              continue;
            }
            record.unclosedQuote = false;
            ++at;
            break;
          }
          line += LineBreakAt(bytes, at) ? 1 : 0;
          field += bytes[at];
        }
      }
      // A field unquoted, or what stands after a closing quote, up to its end.
      while (at < bytes.size() && bytes[at] != ',' && bytes[at] != '\r' && bytes[at] != '\n') {
        field += bytes[at++];
      }
      record.fields.push_back(std::move(field));
      if (at < bytes.size() && bytes[at] == ',') {
        ++at;
        continue;
      }
      ended = true;
      if (at < bytes.size()) {
        at += bytes.substr(at).starts_with("\r\n") ? 2 : 1;
        ++line;
      }
    }
  }
  return records;
}

std::string_view TrimmedNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A heading's first field is a word; a first row with its number missing or mistyped is
// refused rather than taken for the heading and lost.
bool HeadingWord(std::string_view text) {
  return !text.empty() &&
         !std::ranges::all_of(text, [](unsigned char c) { return std::isxdigit(c) != 0; });
}

bool Blank(const CsvRecord& record) {
  return std::ranges::all_of(record.fields,
                             [](const std::string& field) { return TrimmedName(field).empty(); });
}

// The record's fields in UTF-8; false when one is no GB18030.
bool DecodeGb18030(CsvRecord& record) {
  for (std::string& field : record.fields) {
    std::optional<std::string> decoded = Gb18030ToUtf8(field);
    if (!decoded) {
      return false;
    }
    field = std::move(*decoded);
  }
  return true;
}

void AppendField(std::string& text, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    text += field;
    return;
  }
  text += '"';
  for (const char c : field) {
    text += c;
    if (c == '"') {
      text += '"';
    }
  }
  text += '"';
}

}  // namespace

NamesCsvRead ReadNamesCsv(std::string_view bytes) {
  // A file that is not UTF-8 throughout is taken for GB18030, as Excel saves it in China.
  bool gb18030 = false;
  if (bytes.starts_with(kUtf8ByteOrderMark)) {
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  } else if (!Utf8CodePoints(bytes)) {
    gb18030 = true;
    if (bytes.starts_with(kGb18030ByteOrderMark)) {
      bytes.remove_prefix(kGb18030ByteOrderMark.size());
    }
  }

  NamesCsvRead read;
  const auto reject = [&read](std::size_t line, std::string_view reason) {
    read.rejected.push_back({line, std::string(reason)});
  };
  std::map<std::string, std::size_t> lineOfNumber;
  bool first = true;
  for (CsvRecord& record : SplitRecords(bytes)) {
    if (Blank(record)) {
      continue;
    }
    const bool firstRecord = std::exchange(first, false);
    if (record.unclosedQuote) {
      reject(record.line, kUnclosedQuote);
      continue;
    }
    if (gb18030 && !DecodeGb18030(record)) {
      reject(record.line, kUndecodable);
      continue;
    }
    const std::string_view numberText = TrimmedNumber(record.fields[0]);
    const std::optional<NumberKind> number = ParseNumber(numberText);
    if (!number) {
      if (!firstRecord || !HeadingWord(numberText)) {
        reject(record.line, kBadNumberProblem);
      }
      continue;
    }
    if (std::ranges::any_of(record.fields | std::views::drop(2),
                            [](const std::string& field) { return !TrimmedName(field).empty(); })) {
      reject(record.line, kExtraColumns);
      continue;
    }
    const std::string_view name =
        record.fields.size() > 1 ? std::string_view(record.fields[1]) : std::string_view();
    if (const std::string problem = NameProblem(name); !problem.empty()) {
      reject(record.line, problem);
      continue;
    }
    const auto [earlier, added] = lineOfNumber.try_emplace(number->number, record.line);
    if (!added) {
      reject(record.line, "号码与第 " + std::to_string(earlier->second) + " 行重复");
      continue;
    }
    read.names.push_back({number->number, std::string(TrimmedName(name))});
  }
  return read;
}

std::string NamesCsvText(const NameBook& names) {
  std::string text(kUtf8ByteOrderMark);
  text += kHeading;
  text += "\r\n";
  for (const auto* list : {&names.guards, &names.checkpoints}) {
    for (const NamedNumber& named : *list) {
      AppendField(text, named.number);
      text += ',';
      AppendField(text, named.name);
      text += "\r\n";
    }
  }
  return text;
}

std::string RejectedRowsText(const std::vector<RejectedRow>& rejected) {
  std::string text;
  for (const RejectedRow& row : rejected) {
    text += "第 " + std::to_string(row.line) + " 行:" + row.reason + "\n";
  }
  return text;
}

}  // namespace archive
