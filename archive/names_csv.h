// The names as a CSV list (number, name), the way operators keep them in Excel: read in UTF-8
// with or without a byte order mark, or in GB18030 (what Excel in a Chinese locale saves as
// "CSV"), told apart by the bytes, never asked; written in UTF-8 with a byte order mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "names.h"

namespace archive {

// A line the import cannot use, and why, in the user's words.
struct RejectedRow {
  std::size_t line;
  std::string reason;
};

struct NamesCsvRead {
  std::vector<NamedNumber> names;
  std::vector<RejectedRow> rejected;
};

// Reads the list. A first line that holds a word, not a number, is taken for the heading
// (one with hexadecimal digits only, or none, is a row refused); a blank line is
// skipped; a number given twice keeps its first line and rejects the later one.
NamesCsvRead ReadNamesCsv(std::string_view bytes);

// The list of every name: a heading line, the guards, then the checkpoints.
std::string NamesCsvText(const NameBook& names);

// "第 N 行:reason", one a line, for the user to agree to before an import.
std::string RejectedRowsText(const std::vector<RejectedRow>& rejected);

}  // namespace archive
