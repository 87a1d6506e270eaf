// wandread: downloads a wand's log from the command line and prints it as a table.
//
// Exit status: 0 for a complete download (with or without records), 1 when the download
// failed, 2 when the port could not be opened, 64 for a usage error, 130 when interrupted.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "console_controls.h"
#include "table_output.h"
#include "wandlink/download.h"
#include "wandlink/messages.h"
#include "wandlink/port_names.h"
#include "wandlink/serial_link.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitPortOpenFailed = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

constexpr const char* kUsage =
    "usage: wandread [--csv] PORT\n"
    "  Downloads the log of the wand on PORT, sets the wand's clock to this computer's local\n"
    "  time and prints the log: a heading line, then one line per record with its sequence\n"
    "  number, wand number, date and button number, separated by tabs.\n"
    "  PORT     COM1 to COM8 (see the ports folder: $KORVANTA_PORTS, else\n"
    "           ${XDG_CONFIG_HOME:-~/.config}/korvanta/ports; without an entry COMn is\n"
    "           /dev/ttyS{n-1}), or a device path such as /dev/ttyUSB0\n"
    "  --csv    comma-separated values instead of tabs\n"
    "  --help   show this text\n"
    "Exit status: 0 complete (with or without records), 1 download failed, 2 port could not\n"
    "be opened, 64 usage error.\n";

int UsageError(const std::string& problem) {
  std::cerr << "wandread: " << problem << '\n' << kUsage;
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  auto format = wandread::TableFormat::Tabs;
  std::string port;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--csv") {
      format = wandread::TableFormat::Csv;
    } else if (argument.starts_with("-")) {
      return UsageError("unknown option " + std::string(argument));
    } else if (!port.empty()) {
      return UsageError("one port only");
    } else {
      port = argument;
    }
  }
  if (port.empty()) {
    return UsageError("which port?");
  }
  if (!wandlink::ParsePortName(port) && port.find('/') == std::string::npos) {
    return UsageError("not a port: " + port + " (COM1 to COM8 or a device path)");
  }

  wandlink::DownloadContext context{.stop = wandlink::StopOnTerminationSignals()};

  auto link = wandlink::SerialLink::Open(port, context.stop);
  if (!link) {
    std::cerr << wandlink::kPortOpenFailedMessage << '\n';
    return kExitPortOpenFailed;
  }
  link->Configure();
  wandread::ConsoleControls controls(stderr, ::isatty(STDERR_FILENO) == 1);
  context.port = std::move(link);
  context.controls = &controls;

  switch (wandlink::RunDownload(context)) {
    case wandlink::DownloadOutcome::Complete:
      wandread::WriteTable(std::cout, controls.Log().value_or(wandlink::DownloadLog{}), format);
      return std::cout ? 0 : kExitFailed;
    case wandlink::DownloadOutcome::Failed:
      return kExitFailed;
    case wandlink::DownloadOutcome::Cancelled:
      return kExitInterrupted;
  }
  return kExitFailed;
}
