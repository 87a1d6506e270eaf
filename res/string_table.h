// The string table.
#pragma once

#include <array>
#include <string_view>

#include "resource.h"

namespace res {

struct StringResource {
  int id;
  std::string_view text;
};

inline constexpr std::array<StringResource, 1> kStringTable = {{
    {IDS_ABOUTBOX, "关于 Korvanta(&A)..."},
}};

// The string with the identifier; empty when the table has none.
constexpr std::string_view LoadString(int id) {
  for (const StringResource& entry : kStringTable) {
    if (entry.id == id) {
      return entry.text;
    }
  }
  return {};
}

}  // namespace res
