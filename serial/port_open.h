// Opening the chosen port for a download, one way for every program: the serial link opened
// for this program alone, then set for the wand and put into the download's context, traced
// when a trace is asked for.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "port_choice.h"
#include "serial_link.h"
#include "wandlink/download.h"

namespace wandlink {

// A port opened for a download whose line is not set yet: the windows reset the progress bar
// and empty the table between opening and setting the line.
class OpenedPort {
 public:
  OpenedPort(std::unique_ptr<SerialLink> link, std::shared_ptr<DownloadTrace> trace)
      : link_(std::move(link)), trace_(std::move(trace)) {}

  // Sets the line for the wand and puts the port into context.port (and the trace into
  // context.trace); the trace gets the settings the line took, and every byte from then on.
  void Configure(DownloadContext& context) &&;

 private:
  std::unique_ptr<SerialLink> link_;
  std::shared_ptr<DownloadTrace> trace_;
};

// Opens the choice's port, with context.stop as the link's stop signal. With a trace file, the
// trace gets the port, its device and description (a trace that cannot be written is reported
// on stderr and, after the download, through its controls). Nothing when the port cannot be
// opened, with the reason on stderr; the caller shows the port-open failure.
std::optional<OpenedPort> OpenPortForDownload(
    const PortChoice& choice, DownloadContext& context,
    const std::optional<std::filesystem::path>& traceFile);

// Both steps at once, for a program with nothing to do between them; false when the port
// cannot be opened.
bool OpenForDownload(const PortChoice& choice, DownloadContext& context,
                     const std::optional<std::filesystem::path>& traceFile);

}  // namespace wandlink
