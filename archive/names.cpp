#include "names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "archive_store.h"
#include "sqlite_db.h"
#include "text_encoding.h"

namespace archive {
namespace {

constexpr std::string_view kEmptyName = "名称为空";
constexpr std::string_view kNotUtf8 = "名称不是有效的 UTF-8 文字";
constexpr std::string_view kControlCharacter = "名称含有控制字符";

// Spaces an operator types around a name, the full-width one of Chinese input included.
constexpr std::string_view kBlanks[] = {" ", "\t", "\r", "\n", "\u3000"};

// Controls other than tab and line breaks, and the two code points an XML document (the
// workbook) cannot hold.
bool Unusable(char32_t point) {
  if (point == U'\t' || point == U'\n' || point == U'\r') {
    return false;
  }
  return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0xFFFE || point == 0xFFFF;
}

// Where a kind of name is kept.
struct NameTable {
  std::string table;
  std::string key;
};

NameTable TableOf(NameKind kind) {
  return kind == NameKind::Guard ? NameTable{"guards", "wand"} : NameTable{"checkpoints", "button"};
}

bool FileExists(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::exists(file, error);
}

bool HasTable(Database& db, std::string_view table) {
  Statement found = db.Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
  found.Bind(1, table);
  return found.Step();
}

std::vector<NamedNumber> ReadTable(Database& db, NameKind kind) {
  const NameTable where = TableOf(kind);
  std::vector<NamedNumber> names;
  if (!HasTable(db, where.table)) {
    return names;
  }
  Statement rows =
      db.Prepare("SELECT " + where.key + ", name FROM " + where.table + " ORDER BY " + where.key);
  while (rows.Step()) {
    names.push_back({std::string(rows.Text(0)), std::string(rows.Text(1))});
  }
  return names;
}

// The numbers read from the source table (logs' wands, readings' buttons) without a name.
std::vector<std::string> Unnamed(const Archive& archive, NameKind kind, std::string_view source) {
  std::vector<std::string> numbers;
  if (!FileExists(archive.file)) {
    return numbers;
  }
  Database db(*archive.sqlite, archive.file, kSqliteOpenReadOnly);
  db.SetBusyTimeout(kBusyTimeoutMs);
  const NameTable where = TableOf(kind);
  if (!HasTable(db, source)) {
    return numbers;
  }
  std::string sql = "SELECT DISTINCT " + where.key + " FROM " + std::string(source);
  if (HasTable(db, where.table)) {
    sql += " WHERE " + where.key + " NOT IN (SELECT " + where.key + " FROM " + where.table + ")";
  }
  Statement rows = db.Prepare(sql + " ORDER BY " + where.key);
  while (rows.Step()) {
    numbers.emplace_back(rows.Text(0));
  }
  return numbers;
}

// A name as it is written: its number as printed and its kind, its name trimmed.
struct NameToWrite {
  NumberKind number;
  std::string name;
};

NameToWrite Checked(const NamedNumber& named) {
  const std::optional<NumberKind> number = ParseNumber(named.number);
  if (!number) {
    throw std::invalid_argument(std::string(kBadNumberProblem) + ": " + named.number);
  }
  if (const std::string problem = NameProblem(named.name); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  return {*number, std::string(TrimmedName(named.name))};
}

}  // namespace

std::optional<NumberKind> ParseNumber(std::string_view text) {
  if ((text.size() != 4 && text.size() != 8) ||
      !std::ranges::all_of(text, [](unsigned char c) { return std::isxdigit(c) != 0; })) {
    return std::nullopt;
  }
  std::string number(text);
  std::ranges::transform(number, number.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return NumberKind{std::move(number), text.size() == 4 ? NameKind::Guard : NameKind::Checkpoint};
}

std::string_view TrimmedName(std::string_view name) {
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    for (const std::string_view blank : kBlanks) {
      if (name.starts_with(blank)) {
        name.remove_prefix(blank.size());
        trimmed = true;
      }
      if (name.ends_with(blank)) {
        name.remove_suffix(blank.size());
        trimmed = true;
      }
    }
  }
  return name;
}

std::string NameProblem(std::string_view name) {
  const std::string_view trimmed = TrimmedName(name);
  if (trimmed.empty()) {
    return std::string(kEmptyName);
  }
  const std::optional<std::u32string> points = Utf8CodePoints(trimmed);
  if (!points) {
    return std::string(kNotUtf8);
  }
  if (std::ranges::any_of(*points, Unusable)) {
    return std::string(kControlCharacter);
  }
  if (points->size() > kNameLimit) {
    return "名称超过 " + std::to_string(kNameLimit) + " 个字";
  }
  return {};
}

NameBook ReadNames(const Archive& archive) {
  if (!FileExists(archive.file)) {
    return {};
  }
  Database db(*archive.sqlite, archive.file, kSqliteOpenReadOnly);
  db.SetBusyTimeout(kBusyTimeoutMs);
  NameBook book;
  book.guards = ReadTable(db, NameKind::Guard);
  book.checkpoints = ReadTable(db, NameKind::Checkpoint);
  return book;
}

std::vector<std::string> UnnamedWands(const Archive& archive) {
  return Unnamed(archive, NameKind::Guard, "logs");
}

std::vector<std::string> UnnamedButtons(const Archive& archive) {
  return Unnamed(archive, NameKind::Checkpoint, "readings");
}

void SetName(const Archive& archive, const NamedNumber& named) {
  ImportNames(archive, std::span(&named, 1));
}

void RemoveName(const Archive& archive, std::string_view number) {
  const std::optional<NumberKind> parsed = ParseNumber(number);
  if (!parsed) {
    throw std::invalid_argument(std::string(kBadNumberProblem) + ": " + std::string(number));
  }
  if (!FileExists(archive.file)) {
    return;
  }
  const NameTable where = TableOf(parsed->kind);
  WriteInTransaction(archive, [&](Database& db) {
    Statement remove = db.Prepare("DELETE FROM " + where.table + " WHERE " + where.key + " = ?1");
    remove.Bind(1, std::string_view(parsed->number));
    remove.Step();
  });
}

void ImportNames(const Archive& archive, std::span<const NamedNumber> names) {
  std::vector<NameToWrite> checked;
  checked.reserve(names.size());
  for (const NamedNumber& named : names) {
    checked.push_back(Checked(named));
  }
  if (checked.empty()) {
    return;
  }
  WriteInTransaction(archive, [&](Database& db) {
    // OR REPLACE rather than an upsert, which older SQLite does not know.
    Statement guard = db.Prepare("INSERT OR REPLACE INTO guards (wand, name) VALUES (?1, ?2)");
    Statement checkpoint =
        db.Prepare("INSERT OR REPLACE INTO checkpoints (button, name) VALUES (?1, ?2)");
    for (const NameToWrite& named : checked) {
      Statement& insert = named.number.kind == NameKind::Guard ? guard : checkpoint;
      insert.Bind(1, std::string_view(named.number.number));
      insert.Bind(2, std::string_view(named.name));
      insert.Step();
      insert.Reset();
    }
  });
}

}  // namespace archive
