// What the history costs at a million readings: 50 wands of 20000 readings each over 2000
// buttons and 111 days, most wands and buttons named (some buttons sharing a checkpoint's
// name). Prints the time to Load the table, to filter one day, one guard, a day and a guard,
// to sort by a name column, and the memory the table takes.
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "archive/history_table.h"
#include "archive/sqlite_db.h"
#include "brief_run.h"
#include "wand_log.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace chrono = std::chrono;

const int kWands = static_cast<int>(bench::SizeOr(50, 3));
const int kReadingsPerWand = static_cast<int>(bench::SizeOr(20000, 300));
constexpr int kButtons = 2000;
constexpr int kMinutesApart = 8;
const chrono::sys_days kFirstDay{chrono::year{2026} / 1 / 1};

wandlink::LocalTime LocalTimeOf(chrono::sys_time<chrono::minutes> time) {
  const auto day = chrono::floor<chrono::days>(time);
  const chrono::year_month_day date{day};
  const chrono::hh_mm_ss clock{time - day};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count())};
}

std::string WandNumber(int wand) {
  char number[16];
  std::snprintf(number, sizeof number, "%04X", static_cast<unsigned>(0x1000 + wand) & 0xFFFFu);
  return number;
}

// One wand's round: a button every few minutes, each wand a few minutes after the last.
wandlink::DownloadLog WandLog(int wand) {
  const auto start = chrono::sys_time<chrono::minutes>{kFirstDay} + chrono::minutes{wand};
  const wandlink::LocalTime readAt =
      LocalTimeOf(start + chrono::minutes{kMinutesApart * kReadingsPerWand + 60});
  wandlink::DownloadLog log{.readAt = readAt};
  const std::string number = WandNumber(wand);
  std::copy_n(number.begin(), 4, log.wandNumber.begin());
  for (int i = 0; i < kReadingsPerWand; ++i) {
    const auto button = static_cast<std::uint32_t>(0xA0000000u + (i * 7 + wand * 13) % kButtons);
    log.frames.push_back(wandsim::MakeRecord(
        LocalTimeOf(start + chrono::minutes{kMinutesApart * i}), button, wandlink::MonthMode::Bcd));
    wandlink::FormatRecordTime(log.frames.back(), log.timeStamps.emplace_back(),
                               wandlink::MonthMode::Bcd, [&] { return readAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(log.frames.back()));
  }
  return log;
}

// 4 wands of 5 and 3 buttons of 4 named; a checkpoint's name covers two buttons.
void Name(const archive::Archive& archive) {
  archive::Database db(*archive.sqlite, archive.file, archive::kSqliteOpenReadWrite);
  db.Execute("BEGIN");
  db.Execute("CREATE TABLE IF NOT EXISTS guards (wand TEXT PRIMARY KEY, name TEXT NOT NULL)");
  db.Execute(
      "CREATE TABLE IF NOT EXISTS checkpoints (button TEXT PRIMARY KEY, name TEXT NOT NULL)");
  archive::Statement guard = db.Prepare("INSERT OR REPLACE INTO guards VALUES (?1, ?2)");
  for (int wand = 0; wand < kWands; ++wand) {
    if (wand % 5 == 4) {
      continue;
    }
    const std::string number = WandNumber(wand);
    const std::string name = "巡检员" + std::to_string(wand);
    guard.Bind(1, std::string_view(number));
    guard.Bind(2, std::string_view(name));
    guard.Step();
    guard.Reset();
  }
  archive::Statement place = db.Prepare("INSERT OR REPLACE INTO checkpoints VALUES (?1, ?2)");
  for (int button = 0; button < kButtons; ++button) {
    if (button % 4 == 3) {
      continue;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%08X", 0xA0000000u + static_cast<unsigned>(button));
    const std::string name = "巡检点" + std::to_string(button / 2);
    place.Bind(1, std::string_view(number));
    place.Bind(2, std::string_view(name));
    place.Step();
    place.Reset();
  }
  db.Execute("COMMIT");
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's resident memory, in bytes.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0;
  double resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("history_bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto archive = archive::ArchiveAt(folder / "archive.sqlite");
  if (!archive) {
    return 1;
  }
  for (int wand = 0; wand < kWands; ++wand) {
    wandlink::DownloadLog log = WandLog(wand);
    const archive::ArchiveResult result = archive::ArchiveDownload(*archive, log, "COM4");
    if (!result.failure.empty()) {
      std::fprintf(stderr, "archiving failed: %s\n", result.failure.c_str());
      return 1;
    }
  }
  Name(*archive);

  const double before = ResidentBytes();
  archive::HistoryTable table;
  const double loadMs = Milliseconds([&] { table.Load(*archive); });
  const double memory = ResidentBytes() - before;
  std::printf(
      "Load of %zu readings: %.1f ms (target < 1000 ms); the table takes %.1f MB "
      "(%.0f bytes a reading)\n",
      table.TotalCount(), loadMs, memory / 1e6, memory / static_cast<double>(table.TotalCount()));

  const std::string day = "2026-02-10";
  const std::string guard = "巡检员7";
  const struct {
    const char* what;
    archive::HistoryFilter filter;
  } filters[] = {
      {"a day", {.from = day, .to = day}},
      {"a guard", {.guard = guard}},
      {"a day and a guard", {.from = day, .to = day, .guard = guard}},
      {"a checkpoint", {.place = "巡检点100"}},
      {"none (all)", {}},
  };
  for (const auto& f : filters) {
    const double ms = Milliseconds([&] { table.SetFilter(f.filter); });
    std::printf("SetFilter %-18s %8zu rows: %6.1f ms (target < 100 ms)\n", f.what, table.RowCount(),
                ms);
  }
  const double sortMs = Milliseconds([&] { table.SortBy(archive::HistoryColumn::Place, true); });
  std::printf("SortBy 巡检点 over %zu rows: %.1f ms\n", table.RowCount(), sortMs);
  const double refreshMs = Milliseconds([&] { table.Refresh(*archive); });
  std::printf("Refresh with nothing new: %.1f ms\n", refreshMs);
  std::filesystem::remove_all(folder);
  return 0;
}
