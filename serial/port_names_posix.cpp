#include "port_names.h"
#include "wandlink/environment.h"

namespace wandlink {

bool IsDevicePath(std::string_view text) {
  return text.find('/') != std::string_view::npos;
}

std::filesystem::path PortsFolder() {
  if (auto folder = PathFromEnvironment("KORVANTA_PORTS")) {
    return *folder;
  }
  if (auto config = PathFromEnvironment("XDG_CONFIG_HOME")) {
    return *config / "korvanta" / "ports";
  }
  const auto home = PathFromEnvironment("HOME").value_or("/");
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
