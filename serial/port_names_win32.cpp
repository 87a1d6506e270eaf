#include "port_names.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

constexpr std::string_view kDeviceNamespace = R"(\\.\)";

}  // namespace

bool IsDevicePath(std::string_view text) {
  return text.size() > kDeviceNamespace.size() && text.starts_with(kDeviceNamespace);
}

std::filesystem::path ResolvePortDevice(std::string_view portNameOrDevice) {
  // COM1 to COM9 also open without the prefix, but higher numbers need it: one form for all.
  if (ParsePortName(portNameOrDevice, kLastSystemPortNumber)) {
    return Widen(std::string(kDeviceNamespace) + std::string(portNameOrDevice));
  }
  return Widen(portNameOrDevice);
}

}  // namespace wandlink
