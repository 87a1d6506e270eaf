// Text from the hardware (USB descriptors, udev, the device manager) made safe to show: it
// comes from the adapter itself, so it may hold anything. Both systems' discovery pass every
// description and serial number through here before a list, a label, a terminal or a trace
// gets it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wandlink {

// Longer than any adapter's real name or serial number.
inline constexpr std::size_t kShownTextLimit = 64;

// The text without control characters (C0, DEL, C1) and bytes that are no valid UTF-8, cut to
// `limit` characters (the last one then an ellipsis).
std::string ShownText(std::string_view untrusted, std::size_t limit = kShownTextLimit);

}  // namespace wandlink
