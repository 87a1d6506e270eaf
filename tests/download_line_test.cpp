// The download over a real line: a simulated wand on a pseudo-terminal and the serial link.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "serial/serial_link.h"
#include "session/download_worker.h"
#include "support/process_counts.h"
#include "support/recording_controls.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace wandlink {
namespace {

using namespace std::chrono_literals;
using testing_support::EventLog;
using testing_support::OpenDescriptorCount;
using testing_support::RecordingControls;
using testing_support::SimulatedWand;
using testing_support::ThreadCount;

constexpr LocalTime kNow{2026, 12, 8, 9, 15};

DownloadContext ContextFor(const SimulatedWand& wand, DownloadControls& controls) {
  DownloadContext context{.controls = &controls, .clock = [] { return kNow; }};
  auto link = SerialLink::Open(wand.Device(), context.stop);
  if (link) {
    link->Configure();
  }
  context.port = std::move(link);
  return context;
}

TEST(DownloadOverLine, BothKindsOfWandDownloadWholeAndGetTheirClockSet) {
  for (const auto& [probeAnswer, mode] :
       {std::pair{25u, MonthMode::LowNibble}, std::pair{26u, MonthMode::Bcd}}) {
    const auto log = wandsim::GeneratePatrolLog(300, 3, kNow, mode);
    SimulatedWand wand(log, {.wandNumber = 0xBEEF, .probeAnswerLength = probeAnswer});
    EventLog events;
    RecordingControls controls(events);
    auto context = ContextFor(wand, controls);
    ASSERT_TRUE(context.port);
    ASSERT_EQ(RunDownload(context), DownloadOutcome::Complete);

    const DownloadLog& rows = controls.Log();
    ASSERT_EQ(rows.RowCount(), log.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
      TimeText expected;
      FormatRecordTime(log[i], expected, mode, [] { return kNow; });
      ASSERT_EQ(rows.CellText(i, 2), expected.data()) << i;
      ASSERT_EQ(rows.CellText(i, 3), FormatButtonNumber(log[i]).data()) << i;
      ASSERT_EQ(rows.CellText(i, 1), "BEEF");
    }
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(wand.ClockFrames(), std::vector{BuildClockFrame(kNow)});
  }
}

TEST(DownloadOverLine, EveryWayOutLeavesNoDescriptorOrThreadBehind) {
  // A thread checker starts a thread of its own with the first thread; let it start now.
  std::thread([] {}).join();
  const int descriptors = OpenDescriptorCount();
  const int threads = ThreadCount();
  const struct {
    const char* name;
    wandsim::WandBehaviour behaviour;
    DownloadOutcome outcome;
    std::chrono::milliseconds cancelAfter;
  } cases[] = {
      {"complete", {}, DownloadOutcome::Complete, 0ms},
      {"unplugged", {.hangUpAfter = 5}, DownloadOutcome::Failed, 0ms},
      {"short reply", {.shortReplyAt = 3}, DownloadOutcome::Failed, 0ms},
      {"cancelled while waiting", {.silentAfter = 10}, DownloadOutcome::Cancelled, 1200ms},
  };
  for (const auto& c : cases) {
    {
      SimulatedWand wand(wandsim::GeneratePatrolLog(40, 1, kNow, MonthMode::Bcd), c.behaviour);
      EventLog events;
      RecordingControls controls(events);
      DownloadWorker worker(ContextFor(wand, controls));
      if (c.cancelAfter > 0ms) {
        std::this_thread::sleep_for(c.cancelAfter);
        const auto cancelled = std::chrono::steady_clock::now();
        worker.Cancel();
        worker.Wait();
        EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 200ms) << c.name;
        EXPECT_TRUE(wand.ClockFrames().empty()) << c.name;
      }
      worker.Wait();
      EXPECT_EQ(worker.Outcome(), c.outcome) << c.name;
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << c.name;
    EXPECT_EQ(ThreadCount(), threads) << c.name;
  }
}

}  // namespace
}  // namespace wandlink
