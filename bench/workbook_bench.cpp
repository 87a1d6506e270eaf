// The export of a full wand (60001 records) and of a sheet's worth (1,048,575, the most a
// workbook holds): the time, and the memory it takes beyond the log itself (the peak resident
// size during the export less the size before it). Every button number differs, the
// workbook's worst case. Linux only: the peak is read from /proc.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "brief_run.h"
#include "logfile/log_export.h"
#include "logfile/log_workbook.h"

namespace {

wandlink::DownloadLog LogOfRecords(std::size_t count) {
  wandlink::DownloadLog log;
  log.wandNumber = {'1', '2', '0', 'A', '\0'};
  log.readAt = {2024, 3, 5, 14, 7};
  log.timeStamps.resize(count);
  log.buttonNumbers.resize(count);
  for (std::size_t row = 0; row < count; ++row) {
    std::snprintf(log.timeStamps[row].data(), log.timeStamps[row].size(),
                  "2024-%02zu-%02zu %02zu:%02zu", row % 12 + 1, row % 28 + 1, row % 24, row % 60);
    std::snprintf(log.buttonNumbers[row].data(), log.buttonNumbers[row].size(), "%08zX",
                  row * 2654435761U % 0xFFFFFFFFU);
  }
  return log;
}

// A figure of /proc/self/status in kB, e.g. "VmRSS:" or "VmHWM:".
double StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  double value = 0;
  while (status >> name) {
    if (name == field) {
      status >> value;
      return value;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

// Starts the peak resident size afresh from the present size.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ExportRecords(benchmark::State& state, const char* name) {
  const wandlink::DownloadLog log = LogOfRecords(static_cast<std::size_t>(state.range(0)));
  const auto target = std::filesystem::temp_directory_path() / name;
  double extraKb = 0;
  for (auto _ : state) {
    ResetPeak();
    const double before = StatusKb("VmRSS:");
    if (!wandlink::ExportLog(log, target).empty()) {
      state.SkipWithError("export failed");
      break;
    }
    extraKb = std::max(extraKb, StatusKb("VmHWM:") - before);
  }
  state.counters["extra_MB"] = extraKb / 1024;
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(target)) / (1024 * 1024);
  std::filesystem::remove(target);
}
BENCHMARK_CAPTURE(BM_ExportRecords, Workbook, "korvanta-bench-sheet.xlsx")
    ->Unit(benchmark::kMillisecond)
    ->Arg(bench::SizeOr(60001, 200))
    ->Arg(bench::SizeOr(wandlink::kWorkbookRecordLimit, 200))
    ->Iterations(bench::RepeatsOr(2));
BENCHMARK_CAPTURE(BM_ExportRecords, Csv, "korvanta-bench-sheet.csv")
    ->Unit(benchmark::kMillisecond)
    ->Arg(bench::SizeOr(60001, 200))
    ->Arg(bench::SizeOr(wandlink::kWorkbookRecordLimit, 200))
    ->Iterations(bench::RepeatsOr(2));

}  // namespace

BENCHMARK_MAIN();
