// What the archive costs after a download: a full wand (60001 readings) archived into a new
// archive, the same wand again with nothing new, the 100th of 100 full downloads (6 M readings,
// each download a new log of the wand, as when it is cleared between rounds), the archive's
// size per reading, and the history of one day out of the 6 M readings.
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "brief_run.h"
#include "wand_log.h"
#include "wandlink/download.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::size_t kFullWand =
    static_cast<std::size_t>(bench::SizeOr(wandlink::RecordCapacity, 200));
const int kDownloads = static_cast<int>(bench::SizeOr(100, 3));

wandlink::LocalTime DaysAfter(const wandlink::LocalTime& start, int days) {
  namespace chrono = std::chrono;
  const chrono::year_month_day date{
      chrono::sys_days{chrono::year{start.year} / start.month / start.day} + chrono::days{days}};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())), start.hour, start.minute};
}

// A full wand's download as the download makes it, read at the given time.
wandlink::DownloadLog FullWand(const wandlink::LocalTime& readAt, std::uint32_t seed) {
  wandlink::DownloadLog log{.wandNumber = {"120A"}, .readAt = readAt};
  log.frames = wandsim::GeneratePatrolLog(kFullWand, seed, readAt, wandlink::MonthMode::Bcd);
  for (const wandlink::WandRecord& frame : log.frames) {
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [&] { return readAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  return log;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Archived(const archive::Archive& archive, wandlink::DownloadLog log, std::size_t expected) {
  const archive::ArchiveResult result = archive::ArchiveDownload(archive, log, "COM4");
  if (!result.failure.empty() || result.added != expected) {
    std::fprintf(stderr, "archiving failed: %s (%zu added)\n", result.failure.c_str(),
                 result.added);
    return false;
  }
  return true;
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("archive_bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto archive = archive::ArchiveAt(folder / "archive.sqlite");
  if (!archive) {
    return 1;
  }
  const wandlink::LocalTime start{2026, 1, 1, 12, 0};
  bool ok = true;

  const wandlink::DownloadLog first = FullWand(start, 1);
  const double firstMs = Milliseconds([&] { ok = ok && Archived(*archive, first, kFullWand); });
  const double againMs = Milliseconds([&] { ok = ok && Archived(*archive, first, 0); });
  std::printf("full wand (%zu readings) into a new archive: %.1f ms (target < 300 ms)\n", kFullWand,
              firstMs);
  std::printf("the same wand again, nothing new:            %.1f ms (target < 100 ms)\n", againMs);

  // Each round a new log, 121 days after the last, so the readings follow each other in time.
  double lastMs = 0;
  for (int round = 2; round <= kDownloads && ok; ++round) {
    const wandlink::DownloadLog log =
        FullWand(DaysAfter(start, 121 * (round - 1)), static_cast<std::uint32_t>(round));
    lastMs = Milliseconds([&] { ok = Archived(*archive, log, kFullWand); });
    if (round % 10 == 0) {
      std::printf("  download %3d: %.1f ms\n", round, lastMs);
    }
  }
  if (!ok) {
    return 1;
  }
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    bytes += entry.file_size();
  }
  const double readings = static_cast<double>(kFullWand) * kDownloads;
  std::printf(
      "%d full downloads: the last archived in %.1f ms; %.1f bytes per reading "
      "(%.0f MB with the journal)\n",
      kDownloads, lastMs, static_cast<double>(bytes) / readings, static_cast<double>(bytes) / 1e6);

  const wandlink::LocalTime day = DaysAfter(start, 121 * 50 - 3);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", day.year, day.month, day.day);
  std::size_t rows = 0;
  const double historyMs = Milliseconds(
      [&] { rows = archive::ReadHistory(*archive, {.from = date, .to = date}).RowCount(); });
  std::printf("history of one day (%s, %zu readings) out of %.0f: %.1f ms (target < 100 ms)\n",
              date, rows, readings, historyMs);
  std::filesystem::remove_all(folder);
  return 0;
}
