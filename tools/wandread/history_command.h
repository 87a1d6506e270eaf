// The collector and the archive: each complete download kept, and "wandread history" reading
// them back.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "archive/archive.h"
#include "wandlink/download_log.h"

namespace wandread {

// Archives the download and gives its known readings their archived time; a failure is told on
// stderr and changes nothing else.
void ArchiveAndReport(const archive::Archive& archive, wandlink::DownloadLog& log,
                      const std::string& port);

// Runs "wandread history" on the arguments after the word. usageError reports a bad argument
// and returns the exit status for it.
int RunHistory(std::span<const std::string> arguments,
               const std::function<int(const std::string&)>& usageError);

}  // namespace wandread
