// wandread: downloads a wand's log from the command line and prints it as a table (see
// collector.h).
#include <unistd.h>

#include <string>
#include <vector>

#include "collector.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return wandread::RunCollector(
      arguments,
      {.portHelp =
           "  PORT     COM1 to COM8 (see the ports folder: $KORVANTA_PORTS, else\n"
           "           ${XDG_CONFIG_HOME:-~/.config}/korvanta/ports; without an entry COMn is\n"
           "           /dev/ttyS{n-1}), or a device path such as /dev/ttyUSB0\n",
       .portHint = "COM1 to COM8 or a device path",
       .progressOnStderr = ::isatty(STDERR_FILENO) == 1});
}
