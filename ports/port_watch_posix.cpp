#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>

#include "port_watch.h"

namespace wandlink {

std::unique_ptr<PortWatch> PortWatch::Start() {
  Udev context(udev_new());
  UdevMonitor monitor(context ? udev_monitor_new_from_netlink(context.get(), "udev") : nullptr);
  if (!monitor ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor.get()) < 0) {
    std::cerr << "wandlink: no device events from udev, the port list is refreshed only when "
                 "opened: "
              << std::strerror(errno) << '\n';
    return nullptr;
  }
  return std::unique_ptr<PortWatch>(new PortWatch(std::move(context), std::move(monitor)));
}

int PortWatch::Fd() const {
  return udev_monitor_get_fd(monitor_.get());
}

bool PortWatch::TakeChanges() {
  bool changed = false;
  while (const UdevDevice device{udev_monitor_receive_device(monitor_.get())}) {
    const char* action = udev_device_get_action(device.get());
    changed = changed || (action != nullptr && (std::string_view(action) == "add" ||
                                                std::string_view(action) == "remove"));
  }
  return changed;
}

}  // namespace wandlink
