// Tells a window that a serial port appeared or went away, without tying it to any GUI: the
// window watches Fd() with its own event loop and asks TakeChanges() whenever it is readable.
// Built on udev's device events (after udev has made the device node), on Linux only; Windows
// windows hear of devices through WM_DEVICECHANGE instead.
#pragma once

#include <memory>

#include "udev_handles.h"

namespace wandlink {

class PortWatch {
 public:
  // Null, with the reason on stderr, when the system gives no device events.
  static std::unique_ptr<PortWatch> Start();

  // Readable while events wait.
  int Fd() const;

  // Reads every waiting event; true when one of them added or removed a terminal device.
  bool TakeChanges();

 private:
  PortWatch(Udev context, UdevMonitor monitor)
      : context_(std::move(context)), monitor_(std::move(monitor)) {}

  Udev context_;
  UdevMonitor monitor_;
};

}  // namespace wandlink
