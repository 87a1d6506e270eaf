// How long a whole download of a full wand (60001 records) takes over a pseudo-terminal, and
// the CPU it costs this process (the downloader and the simulated wand's thread together).
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "brief_run.h"
#include "counting_controls.h"
#include "process_cpu.h"
#include "serial/serial_link.h"
#include "wand_log.h"
#include "wand_simulator.h"
#include "wandlink/download.h"

namespace {

void BM_DownloadOverPty(benchmark::State& state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  auto line = wandsim::PseudoTerminal::Create();
  if (!line) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  wandsim::WandSimulator wand(std::move(*line), {},
                              wandsim::GeneratePatrolLog(records, 1, wandlink::SystemLocalTime(),
                                                         wandlink::MonthMode::Bcd));
  wandlink::StopSignal stopWand;
  std::thread server([&] { wand.Serve(stopWand); });

  double cpu = 0;
  for (auto _ : state) {
    CountingControls controls;
    wandlink::DownloadContext context{.controls = &controls};
    auto link = wandlink::SerialLink::Open(wand.Device().string(), context.stop);
    link->Configure();
    context.port = std::move(link);
    const double cpuBefore = ProcessCpuSeconds();
    wandlink::RunDownload(context);
    cpu += ProcessCpuSeconds() - cpuBefore;
    if (controls.rows != records) {
      state.SkipWithError("records lost");
      break;
    }
  }
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["records"] = static_cast<double>(records);
  stopWand.Request();
  server.join();
}
BENCHMARK(BM_DownloadOverPty)
    ->Arg(bench::SizeOr(60001, 200))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(bench::RepeatsOr(2));

void BM_FormatRecordTime(benchmark::State& state) {
  const auto record =
      wandsim::MakeRecord({2026, 11, 30, 23, 59}, 0x12345678, wandlink::MonthMode::Bcd);
  const wandlink::LocalClock clock = wandlink::SystemLocalTime;
  wandlink::TimeText out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        wandlink::FormatRecordTime(record, out, wandlink::MonthMode::Bcd, clock));
  }
}
BENCHMARK(BM_FormatRecordTime);

}  // namespace

BENCHMARK_MAIN();
