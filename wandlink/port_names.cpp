#include "port_names.h"

#include <charconv>
#include <cstdlib>

namespace wandlink {
namespace {

std::optional<std::filesystem::path> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    return std::nullopt;
  }
  return std::filesystem::path(value);
}

}  // namespace

std::string PortName(int number) {
  return "COM" + std::to_string(number);
}

std::optional<int> ParsePortName(std::string_view name) {
  constexpr std::string_view prefix = "COM";
  if (!name.starts_with(prefix)) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(prefix.size());
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || digits.starts_with('0') ||
      number < kFirstPortNumber || number > kLastPortNumber) {
    return std::nullopt;
  }
  return number;
}

std::filesystem::path PortsFolder() {
  if (auto folder = Environment("KORVANTA_PORTS")) {
    return *folder;
  }
  if (auto config = Environment("XDG_CONFIG_HOME")) {
    return *config / "korvanta" / "ports";
  }
  const auto home = Environment("HOME").value_or("/");
  return home / ".config" / "korvanta" / "ports";
}

std::filesystem::path ResolvePortDevice(std::string_view portNameOrDevice) {
  const auto number = ParsePortName(portNameOrDevice);
  if (!number) {
    return std::filesystem::path(portNameOrDevice);
  }
  const auto entry = PortsFolder() / std::string(portNameOrDevice);
  std::error_code ignored;
  if (std::filesystem::exists(std::filesystem::symlink_status(entry, ignored))) {
    return entry;
  }
  return "/dev/ttyS" + std::to_string(*number - 1);
}

}  // namespace wandlink
