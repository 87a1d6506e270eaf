#include "port_list.h"

#include <algorithm>

#include "serial/port_names.h"

namespace wandlink {
namespace {

constexpr int kDefaultPortNumber = 4;

PortChoice ChoiceFor(std::string name, const DetectedPort* detected) {
  PortChoice choice;
  choice.name = std::move(name);
  choice.label = choice.name;
  if (detected != nullptr) {
    choice.device = detected->device;
    choice.description = detected->description;
    if (!detected->description.empty()) {
      choice.label += "  " + detected->description;
    }
  }
  return choice;
}

}  // namespace

PortList BuildPortList(const std::vector<DetectedPort>& detected,
                       std::optional<std::string_view> keep) {
  const auto find = [&](std::string_view name) -> const DetectedPort* {
    const auto found = std::ranges::find(detected, name, &DetectedPort::name);
    return found == detected.end() ? nullptr : &*found;
  };

  PortList list;
  for (int number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
    const std::string name = PortName(number);
    list.choices.push_back(ChoiceFor(name, find(name)));
  }
  for (const auto& port : detected) {
    if (!ParsePortName(port.name)) {
      list.choices.push_back(ChoiceFor(port.name, &port));
    }
  }

  const auto indexOf = [&](std::string_view name) -> std::optional<std::size_t> {
    const auto found = std::ranges::find(list.choices, name, &PortChoice::name);
    if (found == list.choices.end()) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(found - list.choices.begin());
  };

  if (keep) {
    if (const auto kept = indexOf(*keep)) {
      list.chosen = *kept;
      return list;
    }
  }
  list.chosen = *indexOf(PortName(kDefaultPortNumber));
  if (find(PortName(kDefaultPortNumber)) == nullptr &&
      std::ranges::count(detected, true, &DetectedPort::adapter) == 1) {
    const auto adapter = std::ranges::find(detected, true, &DetectedPort::adapter);
    list.chosen = *indexOf(adapter->name);
  }
  return list;
}

}  // namespace wandlink
