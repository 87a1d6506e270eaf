#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>
#include <tuple>

#include "port_discovery.h"
#include "serial/port_names.h"
#include "shown_text.h"
#include "udev_handles.h"

namespace wandlink {
namespace {

std::string_view Text(const char* value) {
  return value == nullptr ? std::string_view() : std::string_view(value);
}

// A tty of the serial core (on-board and PCI UARTs) names its UART's type; 0 is PORT_UNKNOWN,
// a line the driver reserves but found no UART behind.
bool IsPresentUart(udev_device* tty) {
  const std::string_view type = Text(udev_device_get_sysattr_value(tty, "type"));
  return !type.empty() && type != "0";
}

// The name the hardware database gives (what udev's serial rules attach), else the product
// name the USB device reports itself.
std::string Description(udev_device* tty, udev_device* usb) {
  const std::string_view database =
      Text(udev_device_get_property_value(tty, "ID_MODEL_FROM_DATABASE"));
  if (!database.empty() || usb == nullptr) {
    return ShownText(database);
  }
  return ShownText(Text(udev_device_get_sysattr_value(usb, "product")));
}

// "vvvv:pppp SERIAL", as USB device lists show it.
std::string HardwareId(udev_device* usb) {
  std::string id = ShownText(Text(udev_device_get_sysattr_value(usb, "idVendor"))) + ":" +
                   ShownText(Text(udev_device_get_sysattr_value(usb, "idProduct")));
  const std::string serial = ShownText(Text(udev_device_get_sysattr_value(usb, "serial")));
  if (!serial.empty()) {
    id += " ";
    id += serial;
  }
  return id;
}

// The fixed port name whose device this is when no ports folder entry says otherwise
// (/dev/ttyS3 is COM4), else the device path.
std::string NameFor(const std::string& device) {
  for (int number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
    if (ResolvePortDevice(PortName(number)) == device) {
      return PortName(number);
    }
  }
  return device;
}

std::optional<DetectedPort> SerialPortOf(udev_device* tty) {
  const char* node = udev_device_get_devnode(tty);
  // Virtual terminals and pseudo-terminals hang off no device.
  if (node == nullptr || udev_device_get_parent(tty) == nullptr) {
    return std::nullopt;
  }
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
  if (usb == nullptr && !IsPresentUart(tty)) {
    return std::nullopt;
  }
  DetectedPort port{.name = NameFor(node), .device = node, .description = Description(tty, usb)};
  if (usb != nullptr) {
    port.hardwareId = HardwareId(usb);
    port.adapter = true;
  }
  return port;
}

std::vector<DetectedPort> SerialHardware() {
  const Udev context(udev_new());
  const UdevEnumerate ttys(context ? udev_enumerate_new(context.get()) : nullptr);
  if (!ttys || udev_enumerate_add_match_subsystem(ttys.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(ttys.get()) < 0) {
    std::cerr << "wandlink: cannot list the serial devices through udev: " << std::strerror(errno)
              << '\n';
    return {};
  }
  std::vector<DetectedPort> ports;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(ttys.get())) {
    const UdevDevice tty(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (tty) {
      if (auto port = SerialPortOf(tty.get())) {
        ports.push_back(std::move(*port));
      }
    }
  }
  return ports;
}

// Port names before device paths, each as people count: /dev/ttyUSB2 before /dev/ttyUSB10.
bool NaturalLess(const DetectedPort& left, const DetectedPort& right) {
  const auto split = [](std::string_view name) {
    const auto digits = name.find_last_not_of("0123456789") + 1;
    unsigned number = 0;
    std::from_chars(name.data() + digits, name.data() + name.size(), number);
    return std::tuple(IsDevicePath(name), name.substr(0, digits), number);
  };
  return split(left.name) < split(right.name);
}

// Whether both paths lead to the same device node.
bool SameNode(const std::string& left, const std::string& right) {
  struct stat leftNode {};
  struct stat rightNode {};
  return ::stat(left.c_str(), &leftNode) == 0 && ::stat(right.c_str(), &rightNode) == 0 &&
         leftNode.st_dev == rightNode.st_dev && leftNode.st_ino == rightNode.st_ino;
}

// The ports folder's port entries that lead to a device now. An entry is opened through itself,
// so a link that is changed later still leads to its new device; it takes over the description
// of the hardware it leads to, which is then not listed again.
std::vector<DetectedPort> FolderEntries(std::vector<DetectedPort>& hardware) {
  std::vector<DetectedPort> entries;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(PortsFolder(), error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code missing;
    if (!ParsePortName(name) || !std::filesystem::exists(entry->path(), missing)) {
      continue;
    }
    DetectedPort port{.name = name, .device = entry->path().string()};
    const auto same = std::ranges::find_if(
        hardware, [&](const DetectedPort& device) { return SameNode(device.device, port.device); });
    if (same != hardware.end()) {
      port.description = same->description;
      port.hardwareId = same->hardwareId;
      port.adapter = same->adapter;
      hardware.erase(same);
    }
    entries.push_back(std::move(port));
  }
  std::ranges::sort(entries, NaturalLess);
  return entries;
}

}  // namespace

std::vector<DetectedPort> DetectPorts() {
  std::vector<DetectedPort> hardware = SerialHardware();
  std::vector<DetectedPort> ports = FolderEntries(hardware);
  std::ranges::sort(hardware, NaturalLess);
  std::ranges::move(hardware, std::back_inserter(ports));
  return ports;
}

}  // namespace wandlink
