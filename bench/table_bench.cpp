// How long a full wand's log (60001 rows) takes from the end of the download to the records
// table being shown (handing the rows to the table, laying it out and painting it), and how long
// copying all of it to the clipboard (text and HTML) and exporting it to a CSV file and to an
// Excel workbook take. The copy needs a clipboard that takes data, which the offscreen platform
// has not: without a display the benchmark runs itself again under a display of its own (Xvfb).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "brief_run.h"

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
BENCHMARK(BM_ShowFullLogInTable)->Unit(benchmark::kMillisecond)->Iterations(bench::RepeatsOr(10));

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
  // A failed copy's box would wait for a user: the failure ends the benchmark instead.
  QString failure;
  dialog.SetMessagePresenter([&failure](QWidget*, const QString& text) { failure = text; });
  model->SetLog(FullWandLog());
  for (auto _ : state) {
    actions->SelectAll();
    actions->Copy();
    if (!failure.isEmpty()) {
      state.SkipWithError(failure.toStdString().c_str());
      return;
    }
  }
  state.counters["bytes"] =
      static_cast<double>(QGuiApplication::clipboard()->text().toUtf8().size());
}
BENCHMARK(BM_CopyFullLog)->Unit(benchmark::kMillisecond)->Iterations(bench::RepeatsOr(5));

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
    ->Iterations(bench::RepeatsOr(5));
BENCHMARK_CAPTURE(BM_ExportFullLog, Workbook, "korvanta-bench-export.xlsx")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::RepeatsOr(5));

// Runs the benchmark again under xvfb-run; returns only when that cannot be done.
void RunOnDisplayOfItsOwn(int argc, char** argv) {
  std::vector<char*> arguments = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a")};
  arguments.insert(arguments.end(), argv, argv + argc);
  arguments.push_back(nullptr);
  ::execvp(arguments[0], arguments.data());
  std::perror("table_bench: xvfb-run");
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    RunOnDisplayOfItsOwn(argc, argv);
    return 1;
  }
  QApplication app(argc, argv);
  ui::SubstituteSongFace();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
