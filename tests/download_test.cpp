#include "wandlink/download.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

#include "session/download_worker.h"
#include "support/recording_controls.h"
#include "wand_log.h"

namespace wandlink {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsSupersetOf;
using testing::Not;
using testing_support::EventLog;
using testing_support::RecordingControls;

constexpr LocalTime kClockTime{2009, 11, 30, 23, 59};
const std::string kClockFrameSent = "send 59 23 30 11 09";

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const auto byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", byte);
    text += digits;
  }
  return text;
}

// A wand that answers from a script: the bytes waiting after the probe, then one reply per
// receive. A reply shorter than 9 bytes is a short exchange; past the script's end the wand
// sends the end marker. With a stop signal, receive number `blockAt` waits for the stop.
class ScriptedPort final : public WandPort {
 public:
  ScriptedPort(EventLog& events, std::size_t probeAnswer,
               std::deque<std::vector<std::uint8_t>> replies)
      : events_(events), probeAnswer_(probeAnswer), replies_(std::move(replies)) {}

  void BlockAt(std::size_t receive, std::shared_ptr<const StopSignal> stop) {
    blockAt_ = receive;
    stop_ = std::move(stop);
  }

  void SendFrame(std::span<const std::uint8_t> bytes) override {
    events_.Add("send " + Hex(bytes));
  }

  std::size_t ReceiveFrame(WandRecord& reply) override {
    events_.Add("receive");
    if (++receives_ == blockAt_) {
      stop_->SleepFor(10s);
      return 0;
    }
    std::vector<std::uint8_t> bytes(reply.size(), kEndMarker);
    if (!replies_.empty()) {
      bytes = std::move(replies_.front());
      replies_.pop_front();
    }
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return bytes.size();
  }

  std::size_t InputQueueCount() override {
    events_.Add("input queue");
    return probeAnswer_;
  }

  void Close() override { events_.Add("close"); }

 private:
  EventLog& events_;
  std::size_t probeAnswer_;
  std::deque<std::vector<std::uint8_t>> replies_;
  std::size_t receives_ = 0;
  std::size_t blockAt_ = 0;
  std::shared_ptr<const StopSignal> stop_;
};

std::vector<std::uint8_t> Bytes(const WandRecord& record) {
  return {record.begin(), record.end()};
}

const std::vector<std::uint8_t> kIdentify = Bytes(wandsim::MakeIdentifyReply(0x120A));

std::vector<std::uint8_t> Reading(int minute, std::uint32_t button, std::uint8_t month = 0x11) {
  auto record = wandsim::MakeRecord({2009, 11, 30, 8, minute}, button, MonthMode::Bcd);
  record[4] = month;
  return Bytes(record);
}

class DownloadTest : public testing::Test {
 protected:
  DownloadOutcome Run(std::deque<std::vector<std::uint8_t>> replies, std::size_t probeAnswer = 30) {
    context_.port = std::make_unique<ScriptedPort>(events_, probeAnswer, std::move(replies));
    return RunDownload(context_);
  }

  EventLog events_;
  RecordingControls controls_{events_};
  DownloadContext context_{.controls = &controls_,
                           .clock = [] { return kClockTime; },
                           .pause =
                               [this](std::chrono::milliseconds pause) {
                                 events_.Add("pause " + std::to_string(pause.count()));
                                 return true;
                               }};
};

TEST_F(DownloadTest, AWandWithoutRecordsGetsTheClockAndTheNoRecordsMessage) {
  EXPECT_EQ(Run({kIdentify}), DownloadOutcome::Complete);
  EXPECT_THAT(events_.Events(),
              ElementsAre("send 30", "progress 1", "pause 650", "input queue", "send 55", "receive",
                          "send 04", "receive", "show count", "progress 2", "progress 99",
                          kClockFrameSent, "pause 100", "close", "message 读取完成,没有记录",
                          "enable collect", "hide progress", "hide count"));
}

TEST_F(DownloadTest, ThreeRecordsBecomeThreeRowsAfterThePortIsClosed) {
  EXPECT_EQ(Run({kIdentify, Reading(1, 0x12345678), Reading(2, 0x0A030201), Reading(3, 7)}),
            DownloadOutcome::Complete);
  EXPECT_THAT(events_.Values("progress "), ElementsAre("1", "2", "2", "3", "3", "99"));
  EXPECT_THAT(events_.Values("count "), ElementsAre("1", "2", "3", "3"));
  const auto events = events_.Events();
  const auto close = std::find(events.begin(), events.end(), "close");
  EXPECT_THAT(std::vector<std::string>(close, events.end()),
              ElementsAre("close", "rows 3", "enable collect", "hide progress", "hide count"));
  EXPECT_THAT(events, Not(testing::Contains(testing::StartsWith("message"))));

  const DownloadLog& log = controls_.Log();
  ASSERT_EQ(log.RowCount(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"1", "120A", "2009-11-30 08:01", "12345678"},
      {"2", "120A", "2009-11-30 08:02", "0A030201"},
      {"3", "120A", "2009-11-30 08:03", "00000007"}};
  for (std::size_t row = 0; row < 3; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      EXPECT_EQ(log.CellText(row, column), expected[row][static_cast<std::size_t>(column)]);
    }
  }
}

TEST_F(DownloadTest, ProgressFallsBackToZeroAtTheNinetyNinthRecord) {
  std::deque<std::vector<std::uint8_t>> replies = {kIdentify};
  for (int i = 0; i < 99; ++i) {
    replies.push_back(Reading(i % 60, static_cast<std::uint32_t>(i)));
  }
  EXPECT_EQ(Run(std::move(replies)), DownloadOutcome::Complete);
  const auto progress = events_.Values("progress ");
  ASSERT_EQ(progress.size(), 102u);
  EXPECT_THAT(std::vector<std::string>(progress.end() - 4, progress.end()),
              ElementsAre("98", "0", "0", "99"));
  EXPECT_EQ(events_.Values("count ").back(), "99");
  EXPECT_EQ(controls_.Log().RowCount(), 99u);
}

TEST_F(DownloadTest, AShortIdentifyReplyFailsBeforeTheCountIsShown) {
  EXPECT_EQ(Run({std::vector<std::uint8_t>(8, 0x55)}), DownloadOutcome::Failed);
  EXPECT_THAT(
      events_.Events(),
      ElementsAre("send 30", "progress 1", "pause 650", "input queue", "send 55", "receive",
                  "pause 300", "close", "message 读取数据失败", "enable collect", "hide progress"));
}

TEST_F(DownloadTest, AShortFirstRecordGivesTheButtonBackBeforeThePause) {
  EXPECT_EQ(Run({kIdentify, {}}), DownloadOutcome::Failed);
  EXPECT_THAT(events_.Events(),
              ElementsAre("send 30", "progress 1", "pause 650", "input queue", "send 55", "receive",
                          "send 04", "receive", "show count", "enable collect", "pause 300",
                          "close", "hide count", "message 读取数据失败", "hide progress"));
}

TEST_F(DownloadTest, AWandThatStopsAfterTenRecordsShowsNothingAndKeepsItsClock) {
  std::deque<std::vector<std::uint8_t>> replies = {kIdentify};
  for (int i = 0; i < 10; ++i) {
    replies.push_back(Reading(i, static_cast<std::uint32_t>(i)));
  }
  replies.push_back({});
  EXPECT_EQ(Run(std::move(replies)), DownloadOutcome::Failed);
  const auto events = events_.Events();
  EXPECT_THAT(std::vector<std::string>(events.end() - 7, events.end()),
              ElementsAre("receive", "enable collect", "pause 300", "close", "hide count",
                          "message 读取数据失败", "hide progress"));
  EXPECT_THAT(events, Not(testing::Contains(kClockFrameSent)));
  EXPECT_THAT(events, Not(testing::Contains(testing::StartsWith("rows"))));
}

TEST_F(DownloadTest, TheProbeAnswerLengthChoosesHowMonthsAreRead) {
  const struct {
    std::size_t probeAnswer;
    std::uint8_t monthByte;
    const char* time;
  } cases[] = {
      {25, 0x11, "2009-01-30 08:05"},  // low digit only
      {26, 0x11, "2009-11-30 08:05"},
      {0, 0x3B, "2009-11-30 08:05"},
      {26, 0x0B, "2000-01-01 00:00"},
  };
  for (const auto& c : cases) {
    EventLog events;
    RecordingControls controls(events);
    DownloadContext context{.controls = &controls,
                            .clock = [] { return kClockTime; },
                            .pause = [](auto) { return true; }};
    context.port = std::make_unique<ScriptedPort>(
        events, c.probeAnswer, std::deque{kIdentify, Reading(5, 1, c.monthByte)});
    ASSERT_EQ(RunDownload(context), DownloadOutcome::Complete);
    EXPECT_EQ(controls.Log().CellText(0, 2), c.time) << c.probeAnswer << " bytes waiting";
  }
}

TEST_F(DownloadTest, ALogLongerThanTheReservedCapacityArrivesWhole) {
  constexpr std::size_t kRecords = RecordCapacity + 5;
  std::deque<std::vector<std::uint8_t>> replies = {kIdentify};
  for (std::size_t i = 0; i < kRecords; ++i) {
    replies.push_back(Reading(static_cast<int>(i % 60), static_cast<std::uint32_t>(i)));
  }
  EXPECT_EQ(Run(std::move(replies)), DownloadOutcome::Complete);
  const DownloadLog& log = controls_.Log();
  ASSERT_EQ(log.RowCount(), kRecords);
  EXPECT_EQ(log.CellText(kRecords - 1, 0), std::to_string(kRecords));
  EXPECT_EQ(log.CellText(kRecords - 1, 3), "0000EA65");
  EXPECT_EQ(log.CellText(RecordCapacity, 2), "2009-11-30 08:01");
  EXPECT_EQ(events_.Values("count ").back(), std::to_string(kRecords));
}

TEST(DownloadCeiling, ALogPastTheCeilingFailsWithoutRowsOrClockFrame) {
  for (const int records : {4, 5}) {
    EventLog events;
    RecordingControls controls(events);
    DownloadContext context{.controls = &controls,
                            .clock = [] { return kClockTime; },
                            .pause = [](auto) { return true; },
                            .recordCeiling = 4};
    std::deque<std::vector<std::uint8_t>> replies = {kIdentify};
    for (int i = 0; i < records; ++i) {
      replies.push_back(Reading(i, static_cast<std::uint32_t>(i)));
    }
    context.port = std::make_unique<ScriptedPort>(events, 30, std::move(replies));
    const DownloadOutcome outcome = RunDownload(context);
    const auto recorded = events.Events();
    if (records == 4) {
      EXPECT_EQ(outcome, DownloadOutcome::Complete) << "exactly the ceiling is a whole log";
      EXPECT_EQ(controls.Log().RowCount(), 4u);
      continue;
    }
    EXPECT_EQ(outcome, DownloadOutcome::Failed);
    EXPECT_THAT(std::vector<std::string>(recorded.end() - 5, recorded.end()),
                ElementsAre("enable collect", "close", "hide count", "message 读取数据失败",
                            "hide progress"));
    EXPECT_THAT(recorded, Not(testing::Contains(kClockFrameSent)));
    EXPECT_THAT(recorded, Not(testing::Contains(testing::StartsWith("rows"))));
  }
}

// Cancellation from another thread, at each kind of wait.
TEST(DownloadCancel, EndsAtOnceWithoutClockFrameMessageOrRows) {
  const struct {
    const char* name;
    std::size_t blockAtReceive;  // 0: cancel during the wait after the probe
  } cases[] = {{"after the probe", 0}, {"identify", 1}, {"first record", 2}, {"sixth record", 7}};
  for (const auto& c : cases) {
    EventLog events;
    RecordingControls controls(events);
    DownloadContext context{.controls = &controls};
    std::deque<std::vector<std::uint8_t>> replies = {kIdentify};
    for (int i = 0; i < 20; ++i) {
      replies.push_back(Reading(i, 1));
    }
    auto port = std::make_unique<ScriptedPort>(events, 30, std::move(replies));
    if (c.blockAtReceive > 0) {
      port->BlockAt(c.blockAtReceive, context.stop);
    }
    context.port = std::move(port);

    const auto start = std::chrono::steady_clock::now();
    auto worker = std::make_unique<DownloadWorker>(std::move(context));
    std::this_thread::sleep_for(c.blockAtReceive == 0 ? 100ms : 800ms);
    EXPECT_FALSE(worker->Finished()) << c.name;
    worker->Cancel();
    worker->Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
    EXPECT_TRUE(worker->Finished());
    EXPECT_EQ(worker->Outcome(), DownloadOutcome::Cancelled) << c.name;

    const auto recorded = events.Events();
    EXPECT_THAT(recorded, Not(testing::Contains(testing::StartsWith("message")))) << c.name;
    EXPECT_THAT(recorded, Not(testing::Contains(testing::StartsWith("rows")))) << c.name;
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), "send 30"), 1) << c.name;
    EXPECT_THAT(recorded, Not(testing::Contains(testing::MatchesRegex("send .. .. .. .. .."))))
        << c.name << ": no clock frame";
    EXPECT_THAT(recorded, IsSupersetOf({"close", "enable collect", "hide progress"})) << c.name;
  }
}

}  // namespace
}  // namespace wandlink
