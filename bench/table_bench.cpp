// How long a full wand's log (60001 rows) takes from the end of the download to the records
// table being shown (handing the rows to the table, laying it out and painting it), and how long
// copying all of it to the clipboard (text and HTML) and exporting it to a CSV file and to an
// Excel workbook take.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <cstdio>
#include <filesystem>

#include "dialog_font.h"
#include "logfile/log_export.h"
#include "reader_dialog.h"
#include "wand_log.h"
#include "wandlink/download.h"
#include "wandlink/download_log.h"

namespace {

wandlink::DownloadLog FullWandLog() {
  const auto now = wandlink::SystemLocalTime();
  const auto records =
      wandsim::GeneratePatrolLog(wandlink::RecordCapacity, 1, now, wandlink::MonthMode::Bcd);
  wandlink::DownloadLog log;
  log.wandNumber = {'1', '2', '0', 'A', '\0'};
  log.readAt = now;
  for (const auto& record : records) {
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(record));
    wandlink::FormatRecordTime(record, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [&] { return now; });
  }
  return log;
}

void BM_ShowFullLogInTable(benchmark::State& state) {
  ui::ReaderDialog dialog;
  dialog.show();
  auto* table = dialog.findChild<QTableView*>("IDC_RECORDS");
  auto* model = dialog.findChild<ui::RecordsModel*>();
  if (table == nullptr || model == nullptr) {
    state.SkipWithError("no records table");
    return;
  }
  const wandlink::DownloadLog log = FullWandLog();
  for (auto _ : state) {
    model->SetLog(log);
    benchmark::DoNotOptimize(table->grab());
    state.PauseTiming();
    model->Clear();
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(model->rowCount() + log.RowCount());
}
BENCHMARK(BM_ShowFullLogInTable)->Unit(benchmark::kMillisecond)->Iterations(10);

// Ctrl+A then Ctrl+C in the window: selecting every row and putting them on the clipboard.
void BM_CopyFullLog(benchmark::State& state) {
  ui::ReaderDialog dialog;
  dialog.show();
  auto* model = dialog.findChild<ui::RecordsModel*>();
  auto* actions = dialog.findChild<ui::RecordsActions*>();
  if (model == nullptr || actions == nullptr) {
    state.SkipWithError("no records table");
    return;
  }
  model->SetLog(FullWandLog());
  for (auto _ : state) {
    actions->SelectAll();
    actions->Copy();
  }
  state.counters["bytes"] =
      static_cast<double>(QGuiApplication::clipboard()->text().toUtf8().size());
}
BENCHMARK(BM_CopyFullLog)->Unit(benchmark::kMillisecond)->Iterations(5);

// Written, flushed to the disk and renamed into place: the whole export but the dialog.
void BM_ExportFullLog(benchmark::State& state, const char* name) {
  const wandlink::DownloadLog log = FullWandLog();
  const auto target = std::filesystem::temp_directory_path() / name;
  for (auto _ : state) {
    if (!wandlink::ExportLog(log, target).empty()) {
      state.SkipWithError("export failed");
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
  std::filesystem::remove(target);
}
BENCHMARK_CAPTURE(BM_ExportFullLog, Csv, "korvanta-bench-export.csv")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_ExportFullLog, Workbook, "korvanta-bench-export.xlsx")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::SubstituteSongFace();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
