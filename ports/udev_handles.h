// Owners of libudev's reference-counted objects: each drops its reference when it goes.
#pragma once

#include <libudev.h>

#include <memory>

namespace wandlink {

template <auto Unref>
struct UdevUnref {
  template <typename Object>
  void operator()(Object* object) const {
    Unref(object);
  }
};

using Udev = std::unique_ptr<udev, UdevUnref<udev_unref>>;
using UdevEnumerate = std::unique_ptr<udev_enumerate, UdevUnref<udev_enumerate_unref>>;
using UdevDevice = std::unique_ptr<udev_device, UdevUnref<udev_device_unref>>;
using UdevMonitor = std::unique_ptr<udev_monitor, UdevUnref<udev_monitor_unref>>;

}  // namespace wandlink
