// SetupAPI knows the ports' hardware and the names the device manager shows; SERIALCOMM is the
// list of COM names every serial program trusts, virtual ports among them. A port is listed
// when either knows it.
#include <windows.h>
#include <winioctl.h>
// After windows.h, which it builds on.
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>

#include <cwchar>
#include <iostream>
#include <map>
#include <memory>
#include <type_traits>

#include "port_discovery.h"
#include "serial/port_names.h"
#include "shown_text.h"
#include "usb_device_id_win32.h"
#include "wandlink/win32_text.h"

namespace wandlink {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct DeviceSetDestroyer {
  void operator()(HDEVINFO set) const { ::SetupDiDestroyDeviceInfoList(set); }
};
using UniqueDeviceSet = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceSetDestroyer>;

// In the system's order: by number.
using PortsByNumber = std::map<int, DetectedPort>;

void ReportFailure(std::string_view what, DWORD error) {
  std::cerr << "wandlink: port discovery: " << what << ": " << SystemErrorText(error) << '\n';
}

std::optional<int> PortNumber(std::wstring_view name) {
  return ParsePortName(Utf8(name), kLastSystemPortNumber);
}

DetectedPort& Entry(PortsByNumber& ports, int number) {
  auto [entry, added] = ports.try_emplace(number);
  if (added) {
    entry->second.name = PortName(number);
    entry->second.device = Utf8(ResolvePortDevice(entry->second.name).native());
  }
  return entry->second;
}

// A string value, or empty when it is missing or no string.
std::wstring RegistryText(HKEY key, const wchar_t* value) {
  DWORD size = 0;
  if (::RegGetValueW(key, nullptr, value, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(key, nullptr, value, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(std::wcslen(text.c_str()));
  return text;
}

void AddRegisteredPorts(PortsByNumber& ports) {
  HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, LR"(HARDWARE\DEVICEMAP\SERIALCOMM)", 0,
                                         KEY_QUERY_VALUE, &opened);
  // The key is made when the first serial port starts; a computer without one has none.
  if (status == ERROR_FILE_NOT_FOUND) {
    return;
  }
  if (status != ERROR_SUCCESS) {
    ReportFailure("SERIALCOMM", static_cast<DWORD>(status));
    return;
  }
  const UniqueKey key(opened);
  DWORD longestName = 0;
  DWORD longestData = 0;
  ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &longestName, &longestData, nullptr, nullptr);
  std::wstring valueName(longestName + 1, L'\0');
  std::wstring data(longestData / sizeof(wchar_t) + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    auto nameLength = static_cast<DWORD>(valueName.size());
    auto dataSize = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    const LSTATUS read = ::RegEnumValueW(key.get(), index, valueName.data(), &nameLength, nullptr,
                                         &type, reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (read == ERROR_NO_MORE_ITEMS) {
      return;
    }
    if (read != ERROR_SUCCESS) {
      ReportFailure("SERIALCOMM", static_cast<DWORD>(read));
      return;
    }
    // The value's data is the port's name; the value's own name is the driver's device.
    std::wstring_view portName(data.data(), dataSize / sizeof(wchar_t));
    portName = portName.substr(0, portName.find(L'\0'));
    if (const auto number = PortNumber(portName); type == REG_SZ && number) {
      Entry(ports, *number);
    }
  }
}

// One device of a SetupAPI device set.
class SetupDevice {
 public:
  SetupDevice(HDEVINFO set, SP_DEVINFO_DATA device) : set_(set), device_(device) {}

  // A text property; the first string of a list of strings.
  std::wstring Text(DWORD property) {
    DWORD size = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set_, &device_, property, nullptr, nullptr, 0, &size);
    if (size == 0) {
      return {};
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(set_, &device_, property, nullptr,
                                             reinterpret_cast<BYTE*>(text.data()), size, nullptr)) {
      return {};
    }
    text.resize(std::wcslen(text.c_str()));
    return text;
  }

  std::wstring PortName() {
    const HKEY opened =
        ::SetupDiOpenDevRegKey(set_, &device_, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (opened == INVALID_HANDLE_VALUE) {
      return {};
    }
    const UniqueKey key(opened);
    return RegistryText(key.get(), L"PortName");
  }

  std::wstring InstanceId() {
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    if (!::SetupDiGetDeviceInstanceIdW(set_, &device_, id, MAX_DEVICE_ID_LEN, nullptr)) {
      return {};
    }
    return id;
  }

  // Whether the system expects the device to go away: a USB, Bluetooth or card adapter.
  bool Removable() {
    DWORD policy = 0;
    return ::SetupDiGetDeviceRegistryPropertyW(set_, &device_, SPDRP_REMOVAL_POLICY, nullptr,
                                               reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                               nullptr) &&
           (policy == CM_REMOVAL_POLICY_EXPECT_ORDERLY_REMOVAL ||
            policy == CM_REMOVAL_POLICY_EXPECT_SURPRISE_REMOVAL);
  }

 private:
  HDEVINFO set_;
  SP_DEVINFO_DATA device_;
};

void Describe(DetectedPort& port, SetupDevice& device) {
  // The friendly name is what the device manager shows, with the port's name after it.
  std::wstring description = device.Text(SPDRP_FRIENDLYNAME);
  const std::wstring suffix = L" (" + Widen(port.name) + L")";
  if (description.ends_with(suffix)) {
    description.resize(description.size() - suffix.size());
  }
  if (description.empty()) {
    description = device.Text(SPDRP_DEVICEDESC);
  }
  port.description = ShownText(Utf8(description));
  port.hardwareId = UsbHardwareId(device.InstanceId());
  // A USB id also marks the ports of bus drivers whose own devices are not the removable ones.
  port.adapter = !port.hardwareId.empty() || device.Removable();
}

void AddDevices(PortsByNumber& ports, const GUID& guid, DWORD flags) {
  const HDEVINFO opened = ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | flags);
  if (opened == INVALID_HANDLE_VALUE) {
    ReportFailure("SetupDiGetClassDevs", ::GetLastError());
    return;
  }
  const UniqueDeviceSet set(opened);
  SP_DEVINFO_DATA info{.cbSize = sizeof(SP_DEVINFO_DATA)};
  for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set.get(), index, &info); ++index) {
    SetupDevice device(set.get(), info);
    // The Ports class also holds printer ports.
    const auto number = PortNumber(device.PortName());
    if (!number) {
      continue;
    }
    // A port may be in both sets.
    if (DetectedPort& port = Entry(ports, *number); port.description.empty()) {
      Describe(port, device);
    }
  }
}

}  // namespace

std::vector<DetectedPort> DetectPorts() {
  PortsByNumber ports;
  AddDevices(ports, GUID_DEVINTERFACE_COMPORT, DIGCF_DEVICEINTERFACE);
  AddDevices(ports, GUID_DEVCLASS_PORTS, 0);
  AddRegisteredPorts(ports);
  std::vector<DetectedPort> detected;
  detected.reserve(ports.size());
  for (auto& [number, port] : ports) {
    detected.push_back(std::move(port));
  }
  return detected;
}

}  // namespace wandlink
