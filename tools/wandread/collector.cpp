#include "collector.h"

#include <cstdio>
#include <iostream>
#include <optional>

#include "console_controls.h"
#include "wandlink/download.h"
#include "wandlink/log_export.h"
#include "wandlink/log_text.h"
#include "wandlink/messages.h"
#include "wandlink/port_names.h"
#include "wandlink/serial_link.h"

namespace wandread {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitPortOpenFailed = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

constexpr std::string_view kUsageHead =
    "usage: wandread [--csv | --xlsx FILE] PORT\n"
    "  Downloads the log of the wand on PORT, sets the wand's clock to this computer's local\n"
    "  time and prints the log: a heading line, then one line per record with its sequence\n"
    "  number, wand number, date and button number, separated by tabs.\n";
constexpr std::string_view kUsageTail =
    "  --csv    comma-separated values instead of tabs\n"
    "  --xlsx FILE\n"
    "           writes the log to FILE as an Excel workbook instead of printing it\n"
    "  --help   show this text\n"
    "Exit status: 0 complete (with or without records), 1 download failed or the workbook\n"
    "not written, 2 port could not be opened, 64 usage error.\n";

void WriteUsage(std::ostream& out, const SystemSide& system) {
  out << kUsageHead << system.portHelp << kUsageTail;
}

int UsageError(const std::string& problem, const SystemSide& system) {
  std::cerr << "wandread: " << problem << '\n';
  WriteUsage(std::cerr, system);
  return kExitUsage;
}

}  // namespace

int RunCollector(std::span<const std::string> arguments, const SystemSide& system) {
  wandlink::LogFormat format = wandlink::kTabSeparated;
  std::string port;
  std::optional<std::string> workbook;
  for (auto next = arguments.begin(); next != arguments.end(); ++next) {
    const std::string& argument = *next;
    if (argument == "--help" || argument == "-h") {
      WriteUsage(std::cout, system);
      return 0;
    }
    if (argument == "--csv") {
      format = wandlink::kCsv;
    } else if (argument == "--xlsx") {
      if (++next == arguments.end()) {
        return UsageError("--xlsx needs a file", system);
      }
      workbook = *next;
    } else if (argument.starts_with("-")) {
      return UsageError("unknown option " + argument, system);
    } else if (!port.empty()) {
      return UsageError("one port only", system);
    } else {
      port = argument;
    }
  }
  if (port.empty()) {
    return UsageError("which port?", system);
  }
  if (workbook && format.quoted) {
    return UsageError("--csv or --xlsx, not both", system);
  }
  if (!wandlink::ParsePortName(port) && !wandlink::IsDevicePath(port)) {
    return UsageError("not a port: " + port + " (" + std::string(system.portHint) + ")", system);
  }

  wandlink::DownloadContext context{.stop = wandlink::StopOnTerminationSignals()};

  auto link = wandlink::SerialLink::Open(port, context.stop);
  if (!link) {
    std::cerr << wandlink::kPortOpenFailedMessage << '\n';
    return kExitPortOpenFailed;
  }
  link->Configure();
  ConsoleControls controls(stderr, system.progressOnStderr);
  context.port = std::move(link);
  context.controls = &controls;

  switch (wandlink::RunDownload(context)) {
    case wandlink::DownloadOutcome::Complete:
      if (workbook) {
        const std::string failure =
            wandlink::ExportLog(controls.Log().value_or(wandlink::DownloadLog{}),
                                wandlink::PathFromUtf8(*workbook), wandlink::ExportType::Workbook);
        if (!failure.empty()) {
          std::cerr << wandlink::kExportFailedMessage << '\n' << failure << '\n';
          return kExitFailed;
        }
        return 0;
      }
      wandlink::WriteLog(std::cout, controls.Log().value_or(wandlink::DownloadLog{}), format);
      return std::cout ? 0 : kExitFailed;
    case wandlink::DownloadOutcome::Failed:
      return kExitFailed;
    case wandlink::DownloadOutcome::Cancelled:
      return kExitInterrupted;
  }
  return kExitFailed;
}

}  // namespace wandread
