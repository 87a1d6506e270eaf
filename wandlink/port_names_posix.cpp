#include <cstdlib>

#include "port_names.h"

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

bool IsDevicePath(std::string_view text) {
  return text.find('/') != std::string_view::npos;
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
