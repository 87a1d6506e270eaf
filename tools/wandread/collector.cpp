#include "collector.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>

#include "archive/archive_setting.h"
#include "console_controls.h"
#include "history_command.h"
#include "logfile/durable_file.h"
#include "logfile/log_export.h"
#include "logfile/log_text.h"
#include "names_command.h"
#include "port_table.h"
#include "ports/port_discovery.h"
#include "ports/port_list.h"
#include "serial/port_names.h"
#include "serial/port_open.h"
#include "wandlink/download.h"
#include "wandlink/messages.h"

namespace wandread {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitPortOpenFailed = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

// The file name that stands for the standard output.
constexpr std::string_view kStandardOutput = "-";

constexpr std::string_view kUsageHead =
    "usage: wandread [--csv [-] | --xlsx FILE] [--trace FILE] [--archive FILE | --no-archive]\n"
    "                PORT\n"
    "       wandread history [--from DATE] [--to DATE] [--wand W] [--button B]\n"
    "                        [--guard NAME] [--place NAME] [--csv | --xlsx FILE]\n"
    "                        [--archive FILE]\n"
    "       wandread names (--import FILE [--skip-bad] | --export FILE) [--archive FILE]\n"
    "       wandread --list\n"
    "  Downloads the log of the wand on PORT, sets the wand's clock to this computer's local\n"
    "  time and prints the log: a heading line, then one line per record with its sequence\n"
    "  number, wand number, date and button number, separated by tabs.\n";
constexpr std::string_view kUsageTail =
    "  --csv [-]      comma-separated values instead of tabs\n"
    "  --xlsx FILE    write the log to FILE as an Excel workbook instead of printing it (FILE -\n"
    "                 is stdout); FILE is checked before the wand is read, and should it fail\n"
    "                 after, the log is printed instead\n"
    "  --trace FILE   append a record of the download to FILE for support: every byte on the\n"
    "                 line with its time (KORVANTA_TRACE=FILE does the same)\n"
    "  --archive FILE keep the download in the archive FILE, not the one every program of this\n"
    "                 user shares (KORVANTA_ARCHIVE=FILE does the same)\n"
    "  --no-archive   keep nothing of this download (KORVANTA_ARCHIVE=off: of none)\n"
    "  history        print the archived readings, newest first, in the same table with each\n"
    "                 reading's guard (巡检员) and checkpoint (巡检点); DATE is YYYY-MM-DD or\n"
    "                 \"YYYY-MM-DD HH:MM\", both bounds included; --guard and --place take a\n"
    "                 name and choose every wand or button that has it\n"
    "  names          the guards' names of wands (4 hexadecimal digits) and the checkpoints'\n"
    "                 names of buttons (8 digits), as a CSV list of number and name\n"
    "  --import FILE  set the names FILE lists (UTF-8 or GB18030); rows it cannot use are\n"
    "                 shown with their line numbers and nothing is imported\n"
    "  --skip-bad     import the rows it can use all the same\n"
    "  --export FILE  write every name to FILE (UTF-8, - is stdout)\n"
    "  --list         list the serial ports present: name, device, description, hardware id\n"
    "  -h, --help     show this text\n"
    "Exit status: 0 complete (with or without records), 1 download failed or the workbook\n"
    "not written (names: not imported or exported), 2 port could not be opened, 64 usage\n"
    "error.\n";

void WriteUsage(std::ostream& out, const SystemSide& system) {
  out << kUsageHead << system.portHelp << kUsageTail;
}

int UsageError(const std::string& problem, const SystemSide& system) {
  std::cerr << "wandread: " << problem << '\n';
  WriteUsage(std::cerr, system);
  return kExitUsage;
}

// The choice a name on the command line stands for: a port the list shows (with its device and
// description), a fixed port name or a device path.
std::optional<wandlink::PortChoice> ChoiceNamed(const std::string& name) {
  const wandlink::PortList list = wandlink::BuildPortList(wandlink::DetectPorts());
  const auto listed = std::ranges::find(list.choices, name, &wandlink::PortChoice::name);
  if (listed != list.choices.end()) {
    return *listed;
  }
  if (wandlink::ParsePortName(name) || wandlink::IsDevicePath(name)) {
    return wandlink::PortChoice{.name = name};
  }
  return std::nullopt;
}

// Writes the workbook where it was asked for. A log that cannot go there is printed instead, so
// that a download that cannot be repeated is not lost.
int WriteWorkbook(const wandlink::DownloadLog& log, wandlink::DurableFile* file) {
  std::string failure = wandlink::WorkbookRefusal(log);
  if (failure.empty()) {
    const auto write = [&log](wandlink::ByteSink& out) {
      wandlink::WriteExport(log, wandlink::ExportType::Workbook, out);
    };
    failure = file != nullptr ? file->Write(write) : wandlink::WriteStandardOutput(write);
  }
  if (failure.empty()) {
    return 0;
  }
  std::cerr << wandlink::kExportFailedMessage << '\n' << failure << '\n';
  if (file != nullptr) {
    std::cerr << "wandread: the log follows on stdout instead\n";
    wandlink::WriteLog(std::cout, log, wandlink::kTabSeparated);
  }
  return kExitFailed;
}

int ListPorts(std::ostream& out) {
  const auto ports = wandlink::DetectPorts();
  if (ports.empty()) {
    std::cerr << "wandread: no serial ports found\n";
    return 0;
  }
  WritePortTable(out, ports);
  return out ? 0 : kExitFailed;
}

}  // namespace

int RunCollector(std::span<const std::string> arguments, const SystemSide& system) {
  if (!arguments.empty() && arguments.front() == "history") {
    return RunHistory(arguments.subspan(1),
                      [&](const std::string& problem) { return UsageError(problem, system); });
  }
  if (!arguments.empty() && arguments.front() == "names") {
    return RunNames(arguments.subspan(1),
                    [&](const std::string& problem) { return UsageError(problem, system); });
  }
  wandlink::LogFormat format = wandlink::kTabSeparated;
  // Chosen once the options are read: a run told to keep nothing never looks for SQLite.
  std::function<std::optional<archive::Archive>()> archive = archive::ArchiveFromEnvironment;
  std::string port;
  std::optional<std::string> workbook;
  std::optional<std::filesystem::path> traceFile = wandlink::TraceFileFromEnvironment();
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    if (*argument == "--help" || *argument == "-h") {
      WriteUsage(std::cout, system);
      return 0;
    }
    if (*argument == "--list") {
      return ListPorts(std::cout);
    }
    if (*argument == "--csv") {
      format = wandlink::kCsv;
      if (std::next(argument) != arguments.end() && *std::next(argument) == kStandardOutput) {
        ++argument;
      }
    } else if (*argument == "--xlsx") {
      if (++argument == arguments.end()) {
        return UsageError("--xlsx needs a file", system);
      }
      workbook = *argument;
    } else if (*argument == "--trace") {
      if (++argument == arguments.end()) {
        return UsageError("--trace needs a file", system);
      }
      traceFile = std::filesystem::u8path(*argument);
    } else if (*argument == "--archive") {
      if (++argument == arguments.end()) {
        return UsageError("--archive needs a file", system);
      }
      archive = [file = wandlink::PathFromUtf8(*argument)] { return archive::ArchiveAt(file); };
    } else if (*argument == "--no-archive") {
      archive = [] { return std::optional<archive::Archive>(); };
    } else if (argument->starts_with("-")) {
      return UsageError("unknown option " + *argument, system);
    } else if (!port.empty()) {
      return UsageError("one port only", system);
    } else {
      port = *argument;
    }
  }
  if (port.empty()) {
    return UsageError("which port?", system);
  }
  if (workbook && format.quoted) {
    return UsageError("--csv or --xlsx, not both", system);
  }
  const auto choice = ChoiceNamed(port);
  if (!choice) {
    return UsageError("not a port: " + port + " (" + std::string(system.portHint) + ")", system);
  }

  // Where the workbook goes is checked before the wand is read: a log read and its clock set
  // cannot be read again.
  std::optional<wandlink::DurableFile> workbookFile;
  if (workbook && *workbook != kStandardOutput) {
    workbookFile.emplace(wandlink::PathFromUtf8(*workbook));
    if (!workbookFile->Failure().empty()) {
      std::cerr << wandlink::kExportFailedMessage << '\n' << workbookFile->Failure() << '\n';
      return kExitFailed;
    }
  }

  ConsoleControls controls(stderr, system.progressOnStderr);
  wandlink::DownloadContext context{.controls = &controls,
                                    .stop = wandlink::StopOnTerminationSignals()};
  if (!wandlink::OpenForDownload(*choice, context, traceFile)) {
    std::cerr << wandlink::kPortOpenFailedMessage << '\n';
    return kExitPortOpenFailed;
  }

  switch (wandlink::RunDownload(context)) {
    case wandlink::DownloadOutcome::Complete:
      if (const auto chosen = archive(); chosen && controls.Log()) {
        ArchiveAndReport(*chosen, *controls.Log(), choice->name);
      }
      if (workbook) {
        return WriteWorkbook(controls.Log().value_or(wandlink::DownloadLog{}),
                             workbookFile ? &*workbookFile : nullptr);
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
