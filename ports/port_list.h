// ports: the serial ports this computer has and the list a window offers. Discovery (libudev,
// SetupAPI and SERIALCOMM), the adapters' USB ids, the hot-plug watch and the port list. Uses
// the wand and the serial line; the only wing that links libudev or SetupAPI.
//
// The port list both windows offer: the fixed names COM1 to COM8, in order, then every detected
// port not already among them, each shown with the adapter's name when it is known.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port_discovery.h"
#include "serial/port_choice.h"

namespace wandlink {

struct PortList {
  std::vector<PortChoice> choices;
  // The choice to select.
  std::size_t chosen = 0;
};

// The list for the detected ports. With `keep` (the name chosen before a refresh) that name stays
// chosen while it is in the list. Otherwise COM4 is chosen, unless COM4 was not detected and
// exactly one adapter was: then that adapter is.
PortList BuildPortList(const std::vector<DetectedPort>& detected,
                       std::optional<std::string_view> keep = std::nullopt);

}  // namespace wandlink
