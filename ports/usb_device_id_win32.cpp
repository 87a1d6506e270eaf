#include "usb_device_id_win32.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "shown_text.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

constexpr std::size_t kIdDigits = 4;

std::wstring Upper(std::wstring_view text) {
  std::wstring upper(text);
  std::ranges::transform(upper, upper.begin(), [](wchar_t c) { return std::towupper(c); });
  return upper;
}

// The four hexadecimal digits after the tag ("VID_", "PID_"), in lower case.
std::optional<std::wstring> IdAfter(std::wstring_view upperId, std::wstring_view tag) {
  const std::size_t at = upperId.find(tag);
  if (at == std::wstring_view::npos || upperId.size() < at + tag.size() + kIdDigits) {
    return std::nullopt;
  }
  std::wstring digits(upperId.substr(at + tag.size(), kIdDigits));
  if (!std::ranges::all_of(digits, [](wchar_t c) { return std::iswxdigit(c) != 0; })) {
    return std::nullopt;
  }
  std::ranges::transform(digits, digits.begin(), [](wchar_t c) { return std::towlower(c); });
  return digits;
}

// The serial number: a USB device's instance part, or the last field of a bus driver's
// VID_vvvv+PID_pppp+SERIAL device part.
std::wstring_view SerialNumber(std::wstring_view instanceId) {
  const std::size_t deviceStart = instanceId.find(L'\\');
  if (deviceStart == std::wstring_view::npos) {
    return {};
  }
  const std::wstring_view enumerator = instanceId.substr(0, deviceStart);
  std::wstring_view device = instanceId.substr(deviceStart + 1);
  std::wstring_view instance;
  if (const std::size_t instanceStart = device.find(L'\\');
      instanceStart != std::wstring_view::npos) {
    instance = device.substr(instanceStart + 1);
    device = device.substr(0, instanceStart);
  }
  if (const std::size_t plus = device.rfind(L'+'); plus != std::wstring_view::npos) {
    const std::wstring_view last = device.substr(plus + 1);
    return Upper(last).starts_with(L"PID_") ? std::wstring_view{} : last;
  }
  if (Upper(enumerator) == L"USB" && !instance.empty() && instance.find(L'&') == instance.npos) {
    return instance;
  }
  return {};
}

}  // namespace

std::string UsbHardwareId(std::wstring_view instanceId) {
  const std::wstring upper = Upper(instanceId);
  const auto vendor = IdAfter(upper, L"VID_");
  const auto product = IdAfter(upper, L"PID_");
  if (!vendor || !product) {
    return {};
  }
  std::string id = Utf8(*vendor + L':' + *product);
  if (const std::wstring_view serial = SerialNumber(instanceId); !serial.empty()) {
    id += ' ' + ShownText(Utf8(serial));
  }
  return id;
}

}  // namespace wandlink
