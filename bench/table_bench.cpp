// How long a full wand's log (60001 rows) takes from the end of the download to the records
// table being shown: handing the rows to the table, laying it out and painting it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include "dialog_font.h"
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
