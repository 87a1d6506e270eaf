// Writes a downloaded log as text: a heading line and one line per record, in UTF-8.
#pragma once

#include <ostream>

#include "wandlink/download_log.h"

namespace wandread {

enum class TableFormat {
  Tabs,  // fields separated by tabs
  Csv,   // comma-separated, fields quoted where RFC 4180 requires, CRLF line ends
};

void WriteTable(std::ostream& out, const wandlink::DownloadLog& log, TableFormat format);

}  // namespace wandread
