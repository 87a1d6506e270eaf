// Port names as the operator sees them ("COM1" to "COM8") and the Linux device behind each.
//
// A name is looked up first in the ports folder: the folder named by KORVANTA_PORTS, else
// $XDG_CONFIG_HOME/korvanta/ports, else ~/.config/korvanta/ports. An entry there named after
// the port (normally a symbolic link such as COM4 -> /dev/ttyUSB0) is the port's device, even
// when it points nowhere: the open then fails as for any missing port. Without an entry,
// "COMn" is /dev/ttyS{n-1}, the conventional numbering.
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

// The number of a name "COM1" to "COM8"; nothing for any other text.
std::optional<int> ParsePortName(std::string_view name);

// The folder whose entries map port names to devices (it need not exist).
std::filesystem::path PortsFolder();

// The device to open for a port name. Text that is not a port name is taken as a device path
// and returned unchanged.
std::filesystem::path ResolvePortDevice(std::string_view portNameOrDevice);

}  // namespace wandlink
