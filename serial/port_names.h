// Port names as the operator sees them ("COM1" to "COM8") and the device behind each.
//
// On Linux a name is looked up first in the ports folder: the folder named by KORVANTA_PORTS,
// else $XDG_CONFIG_HOME/korvanta/ports, else ~/.config/korvanta/ports. An entry there named
// after the port (normally a symbolic link such as COM4 -> /dev/ttyUSB0) is the port's device,
// even when it points nowhere: the open then fails as for any missing port. Without an entry,
// "COMn" is /dev/ttyS{n-1}, the conventional numbering.
//
// On Windows the names are the system's own: "COMn", up to COM256, is the device \\.\COMn.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wandlink {

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 8;

// "COM%d" of the number.
std::string PortName(int number);

// The number of a name "COM1" to "COM<lastNumber>"; nothing for any other text.
std::optional<int> ParsePortName(std::string_view name, int lastNumber = kLastPortNumber);

// Whether the text names a device directly rather than by port name: a path with a '/' on
// Linux, a name in the \\.\ namespace (such as \\.\COM12) on Windows.
bool IsDevicePath(std::string_view text);

// The device to open for a port name (UTF-8). Text that is not a port name is taken as a
// device path and returned unchanged.
std::filesystem::path ResolvePortDevice(std::string_view portNameOrDevice);

#if defined(_WIN32)
// The highest number the system gives a COM port.
inline constexpr int kLastSystemPortNumber = 256;
#else
// The folder whose entries map port names to devices (it need not exist).
std::filesystem::path PortsFolder();
#endif

}  // namespace wandlink
