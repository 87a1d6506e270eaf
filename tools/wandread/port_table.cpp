#include "port_table.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace wandread {
namespace {

constexpr std::size_t kColumnGap = 2;

// Characters, not bytes: a description may hold any UTF-8 (an ellipsis where it was cut).
std::size_t Width(std::string_view text) {
  return static_cast<std::size_t>(
      std::ranges::count_if(text, [](char byte) { return (byte & 0xC0) != 0x80; }));
}

}  // namespace

void WritePortTable(std::ostream& out, const std::vector<wandlink::DetectedPort>& ports) {
  using Row = std::array<std::string, 4>;
  std::vector<Row> rows{{"name", "device", "description", "hardware id"}};
  for (const auto& port : ports) {
    rows.push_back({port.name, port.device, port.description, port.hardwareId});
  }
  std::array<std::size_t, 3> widths{};
  for (const Row& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], Width(row[column]));
    }
  }
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t column = 0; column < widths.size(); ++column) {
      line += row[column];
      line.append(widths[column] + kColumnGap - Width(row[column]), ' ');
    }
    line += row.back();
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  }
}

}  // namespace wandread
