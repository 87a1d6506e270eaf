// The USB identity in a Windows device instance id, as port discovery reports it.
#pragma once

#include <string>
#include <string_view>

namespace wandlink {

// "vvvv:pppp SERIAL" (hexadecimal in lower case, as the USB ids are written elsewhere) from an
// instance id such as USB\VID_0403&PID_6001\A1B2C3 or FTDIBUS\VID_0403+PID_6001+A1B2C3A\0000;
// "vvvv:pppp" when the device has no serial number (Windows then makes up an instance with '&'
// in it); empty when the id names no USB vendor and product.
std::string UsbHardwareId(std::wstring_view instanceId);

}  // namespace wandlink
