// The serial ports present on this computer, as the system's device manager knows them.
//
// One implementation per system: libudev on Linux (with the ports folder's entries first),
// SetupAPI merged with the registry's SERIALCOMM list on Windows. Discovery never opens a port.
#pragma once

#include <string>
#include <vector>

namespace wandlink {

struct DetectedPort {
  // What the operator chooses it by and what a download is given: "COM12", "COM4" (a ports
  // folder entry) or a device path such as "/dev/ttyUSB0". UTF-8.
  std::string name;
  // The device a download opens for it.
  std::string device;
  // The adapter's product name as the device manager shows it ("FT232R USB UART"); may be empty.
  std::string description;
  // USB vendor:product and serial number ("0403:6001 A1B2C3"); empty for other hardware.
  std::string hardwareId;
  // A USB (or other pluggable) adapter rather than an on-board UART or a virtual port.
  bool adapter = false;
};

// The ports present now, in the system's order: ports folder entries first on Linux, then by
// name. Never throws; a facility that fails gives what the others found, with the reason on
// stderr.
std::vector<DetectedPort> DetectPorts();

}  // namespace wandlink
