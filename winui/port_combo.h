// The port list (IDC_PORT): COM1 to COM8, then the ports the system has (wandlink's port list).
// It is detected again when the list is opened and when a COM port arrives or goes away; the
// operator's choice stays while its port is there.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "ports/port_list.h"

namespace winui {

class PortCombo {
 public:
  // Fills the combo box; `window` (the dialog) gets WM_DEVICECHANGE for the COM port
  // interface class until the PortCombo goes.
  PortCombo(HWND combo, HWND window);

  // Detects the ports again; the combo box is filled anew only when its list changed.
  void Refresh();
  // WM_DEVICECHANGE: a port that arrived or went away refreshes the list.
  void OnDeviceChange(WPARAM event, LPARAM data);

  const wandlink::PortChoice& Chosen() const;

 private:
  struct NotificationCloser {
    void operator()(HDEVNOTIFY notification) const { ::UnregisterDeviceNotification(notification); }
  };

  void Show(wandlink::PortList list);
  // Widens the dropped list to its longest label ("COM7  USB-SERIAL CH340" is wider than the
  // box).
  void FitDroppedWidth();

  HWND combo_;
  wandlink::PortList list_;
  std::unique_ptr<std::remove_pointer_t<HDEVNOTIFY>, NotificationCloser> notification_;
};

}  // namespace winui
