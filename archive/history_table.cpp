#include "history_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <unordered_set>

#include "sqlite_db.h"

namespace archive {
namespace {

// Long enough for an archiving of a full wand to finish, short enough that a file held for good
// is reported while the operator waits.
constexpr int kBusyTimeoutMs = 10'000;

constexpr std::string_view kAll = "全部";

template <typename Text>
Text Copied(std::string_view text) {
  Text out{};
  std::copy_n(text.begin(), std::min(text.size(), out.size() - 1), out.begin());
  return out;
}

bool HasTable(Database& db, std::string_view table) {
  Statement query = db.Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
  query.Bind(1, table);
  return query.Step();
}

// Every name of one table, by number; none in an archive older than the names.
std::map<std::string, std::string> ReadBook(Database& db, std::string_view table,
                                            std::string_view numberColumn) {
  std::map<std::string, std::string> book;
  if (!HasTable(db, table)) {
    return book;
  }
  Statement names =
      db.Prepare("SELECT " + std::string(numberColumn) + ", name FROM " + std::string(table));
  while (names.Step()) {
    book.emplace(names.Text(0), names.Text(1));
  }
  return book;
}

// A "to" bound takes in the whole day or minute it names: every time it begins.
bool WithinDates(std::string_view time, const HistoryFilter& filter) {
  return time >= filter.from &&
         (filter.to.empty() || time.substr(0, filter.to.size()) <= filter.to);
}

// The position of each text among the distinct texts, in text order.
template <typename Texts>
std::vector<std::uint32_t> Ranks(const Texts& texts) {
  std::vector<std::uint32_t> order(texts.size());
  std::iota(order.begin(), order.end(), 0u);
  const auto text = [&texts](std::uint32_t i) { return std::string_view(texts[i].data()); };
  std::ranges::sort(order, {}, text);
  std::vector<std::uint32_t> ranks(texts.size());
  std::uint32_t rank = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && text(order[i]) != text(order[i - 1])) {
      ++rank;
    }
    ranks[order[i]] = rank;
  }
  return ranks;
}

template <typename Key>
void StableSortByRank(std::vector<std::uint32_t>& rows, const std::vector<std::uint32_t>& ranks,
                      Key poolIndex, bool ascending) {
  // Counting sort: linear, and stable, so equal cells keep the newest first.
  const std::uint32_t top = ranks.empty() ? 0 : *std::ranges::max_element(ranks);
  const auto bucket = [&](std::uint32_t row) {
    const std::uint32_t rank = ranks[poolIndex(row)];
    return ascending ? rank : top - rank;
  };
  std::vector<std::size_t> starts(static_cast<std::size_t>(top) + 2, 0);
  for (const std::uint32_t row : rows) {
    ++starts[bucket(row) + 1];
  }
  std::partial_sum(starts.begin(), starts.end(), starts.begin());
  std::vector<std::uint32_t> sorted(rows.size());
  for (const std::uint32_t row : rows) {
    sorted[starts[bucket(row)]++] = row;
  }
  rows = std::move(sorted);
}

}  // namespace

std::string_view HistoryTable::TimeOf(const Reading& reading) const {
  return {reading.time.data(), strnlen(reading.time.data(), reading.time.size())};
}

void HistoryTable::Load(const Archive& archive) {
  Load(archive, {});
}

void HistoryTable::Load(const Archive& archive, const HistoryFilter& within) {
  *this = HistoryTable();
  filter_ = within;
  within_ = {.from = within.from, .to = within.to};
  ReadNew(archive);
  Show();
}

void HistoryTable::Refresh(const Archive& archive) {
  ReadNew(archive);
  Show();
}

void HistoryTable::ReadNew(const Archive& archive) {
  std::error_code error;
  if (!std::filesystem::exists(archive.file, error)) {
    return;
  }
  Database db(*archive.sqlite, archive.file, kSqliteOpenReadOnly);
  db.SetBusyTimeout(kBusyTimeoutMs);
  // A read that fails leaves the table as it was, so that a later Refresh reads what this one
  // did not.
  const auto endsBefore = logEnds_;
  const auto logWandsBefore = logWands_;
  const auto guardsBefore = guardBook_;
  const auto placesBefore = placeBook_;
  const std::size_t wandCount = wands_.size();
  const std::size_t buttonCount = buttons_.size();
  std::vector<Reading> added;
  // Where each log's readings begin in added.
  std::vector<std::size_t> runs;
  try {
    ReadSnapshot(db, added, runs);
  } catch (...) {
    logEnds_ = endsBefore;
    logWands_ = logWandsBefore;
    guardBook_ = guardsBefore;
    placeBook_ = placesBefore;
    wands_.resize(wandCount);
    buttons_.resize(buttonCount);
    std::erase_if(wandIndex_, [&](const auto& entry) { return entry.second >= wandCount; });
    std::erase_if(buttonIndex_, [&](const auto& entry) { return entry.second >= buttonCount; });
    throw;
  }
  MergeNew(std::move(added), std::move(runs));
}

void HistoryTable::ReadSnapshot(Database& db, std::vector<Reading>& added,
                                std::vector<std::size_t>& runs) {
  // One snapshot: no archiving may add a log between reading the logs and their readings.
  db.Execute("BEGIN");
  guardBook_ = ReadBook(db, "guards", "wand");
  placeBook_ = ReadBook(db, "checkpoints", "button");
  if (HasTable(db, "readings")) {
    std::uint32_t lastKnownLog = 0;
    for (const auto& [log, end] : logEnds_) {
      lastKnownLog = std::max(lastKnownLog, log);
    }
    Statement logs = db.Prepare("SELECT id, wand FROM logs WHERE id > ?1 ORDER BY id");
    logs.Bind(1, static_cast<long long>(lastKnownLog));
    while (logs.Step()) {
      const auto log = static_cast<std::uint32_t>(logs.Integer(0));
      const std::string wand(logs.Text(1));
      const auto [entry, isNew] =
          wandIndex_.try_emplace(wand, static_cast<std::uint16_t>(wands_.size()));
      if (isNew) {
        wands_.push_back(Copied<wandlink::WandNumberText>(wand));
      }
      logWands_[log] = entry->second;
      logEnds_[log] = 0;
    }

    const auto add = [&](Statement& row, std::uint32_t log, std::uint16_t wand) {
      const auto position = static_cast<std::uint32_t>(row.Integer(1));
      const std::string_view button = row.Text(3);
      auto entry = buttonIndex_.find(button);
      if (entry == buttonIndex_.end()) {
        entry = buttonIndex_.emplace(button, static_cast<std::uint32_t>(buttons_.size())).first;
        buttons_.push_back(Copied<wandlink::ButtonNumberText>(button));
      }
      Reading reading{.time = {},
                      .wand = wand,
                      .position = static_cast<std::uint16_t>(position),
                      .button = entry->second,
                      .log = log};
      const std::string_view time = row.Text(2);
      std::copy_n(time.begin(), std::min(time.size(), reading.time.size()), reading.time.begin());
      added.push_back(reading);
      std::uint32_t& end = logEnds_[log];
      end = std::max(end, position + 1);
    };
    if (!within_.from.empty() || !within_.to.empty()) {
      // A few days of many: through the index of the times.
      Statement readings = db.Prepare(
          "SELECT log_id, position, time, button FROM readings WHERE time >= ?1 AND time <= ?2");
      const std::string to = within_.to + "~";
      readings.Bind(1, std::string_view(within_.from));
      readings.Bind(2, std::string_view(to));
      const auto knownEnds = logEnds_;
      runs.push_back(0);
      while (readings.Step()) {
        const auto log = static_cast<std::uint32_t>(readings.Integer(0));
        const auto known = knownEnds.find(log);
        if (known != knownEnds.end() && readings.Integer(1) >= known->second) {
          add(readings, log, logWands_[log]);
        }
      }
    } else {
      // Every reading: each log read in its own order, which is how the table is kept.
      Statement readings = db.Prepare(
          "SELECT log_id, position, time, button FROM readings WHERE log_id = ?1 AND position >= "
          "?2");
      std::vector<std::pair<std::uint32_t, std::uint32_t>> ends(logEnds_.begin(), logEnds_.end());
      for (const auto& [log, end] : ends) {
        readings.Bind(1, static_cast<long long>(log));
        readings.Bind(2, static_cast<long long>(end));
        const std::uint16_t wand = logWands_[log];
        runs.push_back(added.size());
        while (readings.Step()) {
          add(readings, log, wand);
        }
        readings.Reset();
      }
    }
  }
  db.Execute("COMMIT");
}

void HistoryTable::MergeNew(std::vector<Reading> added, std::vector<std::size_t> runs) {
  guardNames_.assign(wands_.size(), {});
  for (std::size_t wand = 0; wand < wands_.size(); ++wand) {
    if (const auto named = guardBook_.find(wands_[wand].data()); named != guardBook_.end()) {
      guardNames_[wand] = named->second;
    }
  }
  placeNames_.assign(buttons_.size(), {});
  for (std::size_t button = 0; button < buttons_.size(); ++button) {
    if (const auto named = placeBook_.find(buttons_[button].data()); named != placeBook_.end()) {
      placeNames_[button] = named->second;
    }
  }

  const auto newerFirst = [](const Reading& a, const Reading& b) {
    if (const int time = std::memcmp(a.time.data(), b.time.data(), a.time.size()); time != 0) {
      return time > 0;
    }
    return a.log != b.log ? a.log > b.log : a.position > b.position;
  };
  // A log's readings come oldest first, its times rising: reversed, each is in order already,
  // and merging the logs is much cheaper than sorting them all.
  runs.push_back(added.size());
  const auto at = [&added](std::size_t index) {
    return added.begin() + static_cast<std::ptrdiff_t>(index);
  };
  for (std::size_t run = 0; run + 1 < runs.size(); ++run) {
    std::reverse(at(runs[run]), at(runs[run + 1]));
    if (!std::is_sorted(at(runs[run]), at(runs[run + 1]), newerFirst)) {
      std::sort(at(runs[run]), at(runs[run + 1]), newerFirst);
    }
  }
  while (runs.size() > 2) {
    std::vector<std::size_t> merged;
    for (std::size_t run = 0; run + 1 < runs.size(); run += 2) {
      merged.push_back(runs[run]);
      if (run + 2 < runs.size()) {
        std::inplace_merge(at(runs[run]), at(runs[run + 1]), at(runs[run + 2]), newerFirst);
      }
    }
    merged.push_back(added.size());
    runs = std::move(merged);
  }
  if (readings_.empty()) {
    readings_ = std::move(added);
    readings_.shrink_to_fit();
    return;
  }
  const auto known = static_cast<std::ptrdiff_t>(readings_.size());
  readings_.insert(readings_.end(), added.begin(), added.end());
  std::inplace_merge(readings_.begin(), readings_.begin() + known, readings_.end(), newerFirst);
}

void HistoryTable::SetFilter(const HistoryFilter& filter) {
  filter_ = filter;
  Show();
}

void HistoryTable::SortBy(HistoryColumn column, bool ascending) {
  sortColumn_ = column;
  ascending_ = ascending;
  Show();
}

void HistoryTable::Show() {
  std::vector<char> wandShown(wands_.size());
  for (std::size_t wand = 0; wand < wands_.size(); ++wand) {
    wandShown[wand] = (filter_.wand.empty() || filter_.wand == wands_[wand].data()) &&
                      (filter_.guard.empty() || filter_.guard == guardNames_[wand]);
  }
  std::vector<char> buttonShown(buttons_.size());
  for (std::size_t button = 0; button < buttons_.size(); ++button) {
    buttonShown[button] = (filter_.button.empty() || filter_.button == buttons_[button].data()) &&
                          (filter_.place.empty() || filter_.place == placeNames_[button]);
  }
  shown_.clear();
  for (std::size_t i = 0; i < readings_.size(); ++i) {
    const Reading& reading = readings_[i];
    if (wandShown[reading.wand] && buttonShown[reading.button] &&
        WithinDates(TimeOf(reading), filter_)) {
      shown_.push_back(static_cast<std::uint32_t>(i));
    }
  }

  const auto wandOf = [this](std::uint32_t row) { return readings_[row].wand; };
  const auto buttonOf = [this](std::uint32_t row) { return readings_[row].button; };
  switch (sortColumn_) {
    case HistoryColumn::Date:
      if (ascending_) {
        // Oldest first, and within a minute still the newest first.
        std::ranges::reverse(shown_);
        for (auto run = shown_.begin(); run != shown_.end();) {
          const auto end = std::find_if(run, shown_.end(), [&](std::uint32_t row) {
            return readings_[row].time != readings_[*run].time;
          });
          std::reverse(run, end);
          run = end;
        }
      }
      break;
    case HistoryColumn::Wand:
      StableSortByRank(shown_, Ranks(wands_), wandOf, ascending_);
      break;
    case HistoryColumn::Guard:
      StableSortByRank(shown_, Ranks(guardNames_), wandOf, ascending_);
      break;
    case HistoryColumn::Button:
      StableSortByRank(shown_, Ranks(buttons_), buttonOf, ascending_);
      break;
    case HistoryColumn::Place:
      StableSortByRank(shown_, Ranks(placeNames_), buttonOf, ascending_);
      break;
  }
}

std::size_t HistoryTable::RowCount() const {
  return shown_.size();
}

std::size_t HistoryTable::TotalCount() const {
  return readings_.size();
}

std::string_view HistoryTable::Cell(std::size_t row, HistoryColumn column) const {
  if (row >= shown_.size()) {
    return {};
  }
  const Reading& reading = readings_[shown_[row]];
  switch (column) {
    case HistoryColumn::Date:
      return TimeOf(reading);
    case HistoryColumn::Wand:
      return wands_[reading.wand].data();
    case HistoryColumn::Guard:
      return guardNames_[reading.wand];
    case HistoryColumn::Button:
      return buttons_[reading.button].data();
    case HistoryColumn::Place:
      return placeNames_[reading.button];
  }
  return {};
}

namespace {

// 全部, the book's names, then the numbers read that have none.
template <typename Numbers>
std::vector<FilterChoice> Choices(const std::map<std::string, std::string>& book,
                                  const Numbers& numbers) {
  std::vector<FilterChoice> choices = {{.text = std::string(kAll), .name = {}, .number = {}}};
  std::vector<std::string> names;
  for (const auto& [number, name] : book) {
    names.push_back(name);
  }
  std::ranges::sort(names);
  const auto [last, end] = std::ranges::unique(names);
  names.erase(last, end);
  for (std::string& name : names) {
    choices.push_back({.text = name, .name = std::move(name), .number = {}});
  }
  std::vector<std::string> unnamed;
  for (const auto& number : numbers) {
    if (!book.contains(number.data())) {
      unnamed.emplace_back(number.data());
    }
  }
  std::ranges::sort(unnamed);
  for (std::string& number : unnamed) {
    choices.push_back({.text = number, .name = {}, .number = std::move(number)});
  }
  return choices;
}

}  // namespace

std::vector<FilterChoice> HistoryTable::GuardChoices() const {
  return Choices(guardBook_, wands_);
}

std::vector<FilterChoice> HistoryTable::PlaceChoices() const {
  return Choices(placeBook_, buttons_);
}

wandlink::DownloadLog HistoryTable::ShownLog(std::span<const std::size_t> rows) const {
  std::vector<std::size_t> all;
  if (rows.empty()) {
    all.resize(shown_.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    rows = all;
  }
  wandlink::DownloadLog log{.readAt = wandlink::SystemLocalTime(), .names = {""}};
  std::unordered_map<std::string_view, std::uint32_t> namePositions = {{"", 0}};
  const auto namePosition = [&](std::string_view name) {
    const auto [entry, isNew] =
        namePositions.try_emplace(name, static_cast<std::uint32_t>(log.names.size()));
    if (isNew) {
      log.names.emplace_back(name);
    }
    return entry->second;
  };
  for (const std::size_t row : rows) {
    if (row >= shown_.size()) {
      continue;
    }
    const Reading& reading = readings_[shown_[row]];
    log.timeStamps.push_back(Copied<wandlink::TimeText>(TimeOf(reading)));
    log.rowWandNumbers.push_back(wands_[reading.wand]);
    log.buttonNumbers.push_back(buttons_[reading.button]);
    log.rowGuards.push_back(namePosition(guardNames_[reading.wand]));
    log.rowPlaces.push_back(namePosition(placeNames_[reading.button]));
  }
  if (!log.rowWandNumbers.empty()) {
    log.wandNumber = log.rowWandNumbers.front();
  }
  return log;
}

std::string HistoryCountText(std::size_t count) {
  return "共 " + std::to_string(count) + " 条";
}

DateRange LastNight(const wandlink::LocalTime& now) {
  namespace chrono = std::chrono;
  const chrono::sys_days today{chrono::year{now.year} / now.month / now.day};
  const auto text = [](chrono::sys_days day) {
    const chrono::year_month_day date{day};
    char out[16];
    std::snprintf(out, sizeof out, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return std::string(out);
  };
  return {.from = text(today - chrono::days{1}), .to = text(today)};
}

}  // namespace archive
