// The port list both windows offer: the fixed names COM1 to COM8, in order, then every detected
// port not already among them, each shown with the adapter's name when it is known.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port_discovery.h"

namespace wandlink {

struct PortChoice {
  // The name the choice is known by ("COM4", "COM12", "/dev/ttyUSB0").
  std::string name;
  // What the list shows: the name, then two spaces and the description when there is one.
  std::string label;
  // The detected device; empty for a fixed name that was not detected, which the serial link
  // resolves by name as it always has.
  std::string device;
  std::string description;

  // What to open for this choice.
  const std::string& OpenTarget() const { return device.empty() ? name : device; }
};

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
