#include "history_archive.h"

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "archive/archive_setting.h"
#include "archive/names.h"
#include "brief_run.h"
#include "wand_log.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
namespace chrono = std::chrono;

const int kWands = static_cast<int>(SizeOr(50, 3));
const int kReadingsPerWand = static_cast<int>(SizeOr(20000, 300));
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

std::string ButtonNumber(int button) {
  char number[16];
  std::snprintf(number, sizeof number, "%08X", 0xA0000000u + static_cast<unsigned>(button));
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
std::vector<archive::NamedNumber> Names() {
  std::vector<archive::NamedNumber> names;
  for (int wand = 0; wand < kWands; ++wand) {
    if (wand % 5 != 4) {
      names.push_back({WandNumber(wand), "巡检员" + std::to_string(wand)});
    }
  }
  for (int button = 0; button < kButtons; ++button) {
    if (button % 4 != 3) {
      names.push_back({ButtonNumber(button), "巡检点" + std::to_string(button / 2)});
    }
  }
  return names;
}

}  // namespace

std::optional<archive::Archive> MakeHistoryArchive(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  auto archive = archive::ArchiveAt(folder / "archive.sqlite");
  if (!archive) {
    return std::nullopt;
  }
  for (int wand = 0; wand < kWands; ++wand) {
    wandlink::DownloadLog log = WandLog(wand);
    const archive::ArchiveResult result = archive::ArchiveDownload(*archive, log, "COM4");
    if (!result.failure.empty()) {
      std::fprintf(stderr, "archiving failed: %s\n", result.failure.c_str());
      return std::nullopt;
    }
  }
  archive::ImportNames(*archive, Names());
  return archive;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0;
  double resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

}  // namespace bench
