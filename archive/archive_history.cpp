#include <algorithm>
#include <regex>

#include "archive.h"
#include "sqlite_db.h"

namespace archive {
namespace {

template <typename Text>
Text Copied(std::string_view text) {
  Text out{};
  std::copy_n(text.begin(), std::min(text.size(), out.size() - 1), out.begin());
  return out;
}

}  // namespace

bool IsHistoryBound(std::string_view text) {
  static const std::regex bound(R"(\d{4}-\d{2}-\d{2}( \d{2}:\d{2})?)");
  return std::regex_match(text.begin(), text.end(), bound);
}

wandlink::DownloadLog ReadHistory(const Archive& archive, const HistoryQuery& query) {
  Database db(*archive.sqlite, archive.file, kSqliteOpenReadOnly);
  db.SetBusyTimeout(10'000);
  // The times compare as text; "~" sorts after every digit, so a "to" bound takes in every
  // minute it names the start of.
  Statement rows = db.Prepare(
      "SELECT r.time, l.wand, r.button FROM readings AS r JOIN logs AS l ON l.id = r.log_id"
      " WHERE r.time >= ?1 AND r.time <= ?2 AND (?3 = '' OR l.wand = ?3)"
      " AND (?4 = '' OR r.button = ?4)"
      " ORDER BY r.time DESC, r.log_id DESC, r.position DESC");
  const std::string to = query.to.empty() ? std::string("~") : query.to + "~";
  rows.Bind(1, std::string_view(query.from));
  rows.Bind(2, std::string_view(to));
  rows.Bind(3, std::string_view(query.wand));
  rows.Bind(4, std::string_view(query.button));
  wandlink::DownloadLog log;
  while (rows.Step()) {
    log.timeStamps.push_back(Copied<wandlink::TimeText>(rows.Text(0)));
    log.rowWandNumbers.push_back(Copied<wandlink::WandNumberText>(rows.Text(1)));
    log.buttonNumbers.push_back(Copied<wandlink::ButtonNumberText>(rows.Text(2)));
  }
  if (!log.rowWandNumbers.empty()) {
    log.wandNumber = log.rowWandNumbers.front();
  }
  return log;
}

}  // namespace archive
