// One entry of a port list: what the operator chose and what a download opens for it.
#pragma once

#include <string>

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

}  // namespace wandlink
