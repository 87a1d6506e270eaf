// What finding the ports costs (once at start and at every refresh of the window's list), and
// what a USB adapter's latency timer costs a download: a wand at the line's real speed, with
// each reply held back as an adapter holds it or not, timed per record and scaled to a full
// wand of 60001 records.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "brief_run.h"
#include "counting_controls.h"
#include "ports/port_discovery.h"
#include "ports/port_list.h"
#include "serial/serial_link.h"
#include "wand_log.h"
#include "wand_simulator.h"
#include "wandlink/download.h"

namespace {

constexpr double kFullWand = 60001;
// The download's own pauses, whatever the line: the wait for the probe's answer and the one
// after the clock frame.
constexpr double kFixedPauseSeconds = 0.650 + 0.100;

void BM_DetectPorts(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(wandlink::DetectPorts());
  }
}
BENCHMARK(BM_DetectPorts)->Unit(benchmark::kMillisecond);

// What the window does when its list opens or a port comes or goes (less filling the widget).
void BM_RefreshPortList(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(wandlink::BuildPortList(wandlink::DetectPorts(), "COM4"));
  }
}
BENCHMARK(BM_RefreshPortList)->Unit(benchmark::kMillisecond);

void BM_PacedDownload(benchmark::State& state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  auto line = wandsim::PseudoTerminal::Create();
  if (!line) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  wandsim::WandSimulator wand(
      std::move(*line),
      {.paced = true, .adapterLatency = std::chrono::milliseconds(state.range(1))},
      wandsim::GeneratePatrolLog(records, 1, wandlink::SystemLocalTime(),
                                 wandlink::MonthMode::Bcd));
  wandlink::StopSignal stopWand;
  std::thread server([&] { wand.Serve(stopWand); });

  double perRecord = 0;
  for (auto _ : state) {
    CountingControls controls;
    wandlink::DownloadContext context{.controls = &controls};
    auto link = wandlink::SerialLink::Open(wand.Device().string(), context.stop);
    link->Configure();
    context.port = std::move(link);
    const auto start = std::chrono::steady_clock::now();
    wandlink::RunDownload(context);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (controls.rows != records) {
      state.SkipWithError("records lost");
      break;
    }
    // Identify, the records and the end marker: one exchange each.
    perRecord = (took.count() - kFixedPauseSeconds) / static_cast<double>(records + 2);
  }
  state.counters["ms_per_record"] = perRecord * 1000;
  state.counters["full_wand_minutes"] = (kFixedPauseSeconds + perRecord * (kFullWand + 2)) / 60;
  stopWand.Request();
  server.join();
}
// Arguments: records, adapter latency in milliseconds (16 is FTDI's default).
BENCHMARK(BM_PacedDownload)
    ->Args({bench::SizeOr(500, 20), 0})
    ->Args({bench::SizeOr(500, 20), 16})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
