#include "port_combo.h"

#include <dbt.h>
#include <winioctl.h>

#include <algorithm>
#include <iostream>

#include "wandlink/win32_text.h"

namespace winui {

PortCombo::PortCombo(HWND combo, HWND window) : combo_(combo) {
  Show(wandlink::BuildPortList(wandlink::DetectPorts()));
  DEV_BROADCAST_DEVICEINTERFACE_W filter{.dbcc_size = sizeof filter,
                                         .dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE,
                                         .dbcc_classguid = GUID_DEVINTERFACE_COMPORT};
  notification_.reset(::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
  // Not fatal: the system also tells every top-level window of the ports it starts
  // (DBT_DEVTYP_PORT), and the list is detected again whenever it is opened.
  if (!notification_) {
    std::cerr << "Korvanta: no notice of COM port interfaces: "
              << wandlink::SystemErrorText(::GetLastError()) << '\n';
  }
}

void PortCombo::Refresh() {
  Show(wandlink::BuildPortList(wandlink::DetectPorts(), Chosen().name));
}

void PortCombo::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
    return;
  }
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header != nullptr && (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE ||
                            header->dbch_devicetype == DBT_DEVTYP_PORT)) {
    Refresh();
  }
}

const wandlink::PortChoice& PortCombo::Chosen() const {
  const LRESULT index = ::SendMessageW(combo_, CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<std::size_t>(index) >= list_.choices.size()) {
    return list_.choices[list_.chosen];
  }
  return list_.choices[static_cast<std::size_t>(index)];
}

void PortCombo::Show(wandlink::PortList list) {
  // Filling the box anew would scroll an open list back to its top; the kept choice is then
  // where it was.
  if (!std::ranges::equal(list.choices, list_.choices, {}, &wandlink::PortChoice::label,
                          &wandlink::PortChoice::label)) {
    ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const auto& choice : list.choices) {
      ::SendMessageW(combo_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wandlink::Widen(choice.label).c_str()));
    }
    ::SendMessageW(combo_, CB_SETCURSEL, list.chosen, 0);
  }
  list_ = std::move(list);
  FitDroppedWidth();
}

void PortCombo::FitDroppedWidth() {
  HDC dc = ::GetDC(combo_);
  if (dc == nullptr) {
    return;
  }
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(combo_, WM_GETFONT, 0, 0));
  const HGDIOBJ previous =
      ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
  int widest = 0;
  for (const auto& choice : list_.choices) {
    const std::wstring label = wandlink::Widen(choice.label);
    SIZE extent{};
    if (::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent)) {
      widest = std::max(widest, static_cast<int>(extent.cx));
    }
  }
  ::SelectObject(dc, previous);
  ::ReleaseDC(combo_, dc);
  // The item's margins and the frame, and room for the scroll bar of a long list; never
  // narrower than the box itself, which the list already is.
  const int width =
      widest + 2 * ::GetSystemMetrics(SM_CXEDGE) + 6 + ::GetSystemMetrics(SM_CXVSCROLL);
  ::SendMessageW(combo_, CB_SETDROPPEDWIDTH, width, 0);
}

}  // namespace winui
