// What the history costs at a million readings (history_archive.h): prints the time to Load
// the table, to filter one day, one guard, a day and a guard, to sort by a name column, and the
// memory the table takes.
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/history_table.h"
#include "history_archive.h"

using bench::Milliseconds;
using bench::ResidentBytes;

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("history_bench-" + std::to_string(::getpid()));
  const auto archive = bench::MakeHistoryArchive(folder);
  if (!archive) {
    return 1;
  }

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
