#include "port_names.h"

#include <charconv>

namespace wandlink {

std::string PortName(int number) {
  return "COM" + std::to_string(number);
}

std::optional<int> ParsePortName(std::string_view name, int lastNumber) {
  constexpr std::string_view prefix = "COM";
  if (!name.starts_with(prefix)) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(prefix.size());
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || digits.starts_with('0') ||
      number < kFirstPortNumber || number > lastNumber) {
    return std::nullopt;
  }
  return number;
}

}  // namespace wandlink
