#include <regex>

#include "archive.h"
#include "history_table.h"

namespace archive {

bool IsHistoryBound(std::string_view text) {
  static const std::regex bound(R"(\d{4}-\d{2}-\d{2}( \d{2}:\d{2})?)");
  return std::regex_match(text.begin(), text.end(), bound);
}

wandlink::DownloadLog ReadHistory(const Archive& archive, const HistoryFilter& filter) {
  // The window's own table, so that the two never order or filter differently; only the
  // readings within the dates are read.
  HistoryTable table;
  table.Load(archive, filter);
  table.SetFilter(filter);
  return table.ShownLog();
}

}  // namespace archive
