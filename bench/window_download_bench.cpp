// What the window costs a download: a full wand (60001 records) at full speed through the real
// window (offscreen) and through the collector's controls, on the same simulated wand, and the
// ratio of the two; then the window's CPU share while a wand answers at 9600 baud.
//
// The simulated wand runs as a process of its own (wandsim), so this process's CPU time is the
// window's and the download's alone.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "brief_run.h"
#include "console_controls.h"
#include "dialog_font.h"
#include "process_cpu.h"
#include "reader_dialog.h"
#include "serial/serial_link.h"
#include "wandlink/download.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// wandsim on COM4 of a ports folder of its own, for as long as this object lives.
class WandProcess {
 public:
  explicit WandProcess(std::vector<std::string> options) {
    char folderTemplate[] = "/tmp/korvanta-bench-XXXXXX";
    folder_ = ::mkdtemp(folderTemplate);
    ::setenv("KORVANTA_PORTS", folder_.c_str(), 1);
    std::vector<std::string> arguments = {KORVANTA_WANDSIM, "--link", (folder_ / "COM4").string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) {
      argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&pid_, argv[0], &quiet, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&quiet);
    for (int i = 0; i < 200 && pid_ > 0 && !fs::is_symlink(folder_ / "COM4"); ++i) {
      ::usleep(10'000);
    }
  }
  ~WandProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(folder_);
  }
  WandProcess(const WandProcess&) = delete;
  WandProcess& operator=(const WandProcess&) = delete;

  bool Ready() const { return pid_ > 0 && fs::is_symlink(folder_ / "COM4"); }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
};

struct Measured {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  std::size_t rows = 0;
};

Measured ThroughTheWindow() {
  ui::ReaderDialog dialog;
  dialog.SetMessagePresenter([](QWidget*, const QString&) {});
  dialog.show();
  [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&dialog);
  QTest::qWait(200);
  QSignalSpy finished(&dialog, &ui::ReaderDialog::WorkerFinished);
  const auto start = Clock::now();
  const double cpuBefore = ProcessCpuSeconds();
  dialog.OnCollect();
  finished.wait(15 * 60 * 1000);
  Measured measured{std::chrono::duration<double>(Clock::now() - start).count(),
                    ProcessCpuSeconds() - cpuBefore};
  measured.rows =
      static_cast<std::size_t>(dialog.findChild<QTableView*>("IDC_RECORDS")->model()->rowCount());
  return measured;
}

Measured ThroughTheCollector() {
  wandread::ConsoleControls controls(stderr, false);
  wandlink::DownloadContext context{.controls = &controls};
  const auto start = Clock::now();
  const double cpuBefore = ProcessCpuSeconds();
  auto link = wandlink::SerialLink::Open("COM4", context.stop);
  if (!link) {
    return {};
  }
  link->Configure();
  context.port = std::move(link);
  wandlink::RunDownload(context);
  Measured measured{std::chrono::duration<double>(Clock::now() - start).count(),
                    ProcessCpuSeconds() - cpuBefore};
  measured.rows = controls.Log() ? controls.Log()->RowCount() : 0;
  return measured;
}

bool ByWallTime(const Measured& a, const Measured& b) {
  return a.wallSeconds < b.wallSeconds;
}

void BM_FullWandWindowAgainstCollector(benchmark::State& state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  WandProcess wand({"--records", std::to_string(records)});
  if (!wand.Ready()) {
    state.SkipWithError("no simulated wand");
    return;
  }
  // The best of a few runs each: the machine's other work only ever adds time.
  Measured window{.wallSeconds = 1e9};
  Measured collector{.wallSeconds = 1e9};
  for (auto _ : state) {
    const Measured throughWindow = ThroughTheWindow();
    const Measured throughCollector = ThroughTheCollector();
    if (throughWindow.rows != records || throughCollector.rows != records) {
      state.SkipWithError("records lost");
      return;
    }
    window = std::min(window, throughWindow, ByWallTime);
    collector = std::min(collector, throughCollector, ByWallTime);
  }
  state.counters["window_s"] = window.wallSeconds;
  state.counters["collector_s"] = collector.wallSeconds;
  state.counters["ratio"] = window.wallSeconds / collector.wallSeconds;
  std::printf(
      "full speed, %zu records: window %.2f s, collector %.2f s, ratio %.2f (goal <= 1.3)\n",
      records, window.wallSeconds, collector.wallSeconds,
      window.wallSeconds / collector.wallSeconds);
}
BENCHMARK(BM_FullWandWindowAgainstCollector)
    ->Arg(bench::SizeOr(60001, 200))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(bench::RepeatsOr(3));

void BM_WindowCpuAtLineSpeed(benchmark::State& state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  WandProcess wand({"--records", std::to_string(records), "--paced"});
  if (!wand.Ready()) {
    state.SkipWithError("no simulated wand");
    return;
  }
  Measured window;
  Measured collector;
  for (auto _ : state) {
    window = ThroughTheWindow();
    collector = ThroughTheCollector();
    if (window.rows != records || collector.rows != records) {
      state.SkipWithError("records lost");
      return;
    }
  }
  const auto share = [](const Measured& measured) {
    return 100.0 * measured.cpuSeconds / measured.wallSeconds;
  };
  state.counters["window_cpu_pct"] = share(window);
  state.counters["collector_cpu_pct"] = share(collector);
  std::printf(
      "9600 baud, %zu records in %.1f s: window CPU %.2f %% of a core (goal <= 2 %%), "
      "collector %.2f %%\n",
      records, window.wallSeconds, share(window), share(collector));
}
BENCHMARK(BM_WindowCpuAtLineSpeed)
    ->Arg(bench::SizeOr(500, 20))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

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
