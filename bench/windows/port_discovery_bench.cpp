// What finding the ports costs the Windows programs: the first detection (SetupAPI loading its
// class lists), then each refresh of the window's list as it opens or a port comes or goes
// (detection and the list, less filling the combo box). Prints the figures in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "ports/port_discovery.h"
#include "ports/port_list.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  constexpr int kRefreshes = 200;
  auto start = Clock::now();
  const std::size_t found = wandlink::DetectPorts().size();
  const double first = MillisecondsSince(start);

  std::vector<double> refreshes;
  std::size_t choices = 0;
  for (int i = 0; i < kRefreshes; ++i) {
    start = Clock::now();
    choices = wandlink::BuildPortList(wandlink::DetectPorts(), "COM4").choices.size();
    refreshes.push_back(MillisecondsSince(start));
  }
  std::ranges::sort(refreshes);
  std::printf(
      "port discovery: %zu ports detected, %zu in the list; first detection %.2f ms; "
      "refresh median %.3f ms, slowest %.3f ms (%d refreshes)\n",
      found, choices, first, refreshes[refreshes.size() / 2], refreshes.back(), kRefreshes);
}
