// Opening the chosen port for a download, one way for every program: the serial link opened
// and set for the wand and put into the download's context, traced when a trace is asked for.
#pragma once

#include <filesystem>
#include <optional>

#include "port_choice.h"
#include "wandlink/download.h"

namespace wandlink {

// Opens and configures the choice's port into context.port, with context.stop as the link's
// stop signal. With a trace file, the trace gets the port, its device and description and the
// settings the line took, and the port is wrapped so that every byte is traced (a trace that
// cannot be written is reported on stderr and left out). False when the port cannot be
// opened, with the reason on stderr; the caller shows the port-open failure.
bool OpenForDownload(const PortChoice& choice, DownloadContext& context,
                     const std::optional<std::filesystem::path>& traceFile);

}  // namespace wandlink
