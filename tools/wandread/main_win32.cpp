// wandread.exe: downloads a wand's log from the command line and prints it as a table (see
// collector.h).
#include <string>
#include <vector>

#include "collector.h"
#include "wandlink/win32_text.h"
#include "win32_console.h"

int wmain(int argc, wchar_t** argv) {
  const wandread::Win32Console console;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(wandlink::Utf8(argv[i]));
  }
  return wandread::RunCollector(
      arguments,
      {.portHelp = "  PORT     COM1 to COM8, or a device name such as \\\\.\\COM12; also any\n"
                   "           port that --list shows, such as COM12\n",
       .portHint = "COM1 to COM8, a port that --list shows or a device name such "
                   "as \\\\.\\COM12",
       .progressOnStderr = console.ShowsProgress()});
}
