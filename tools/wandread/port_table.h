// The detected ports as the collector lists them: a heading, then one line per port with its
// name, device, description and hardware id in aligned columns.
#pragma once

#include <ostream>
#include <vector>

#include "ports/port_discovery.h"

namespace wandread {

void WritePortTable(std::ostream& out, const std::vector<wandlink::DetectedPort>& ports);

}  // namespace wandread
