#include "wand_simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "serial/serial_link.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace wandsim {
namespace {

using namespace std::chrono_literals;
using testing_support::SimulatedWand;
using wandlink::MonthMode;
using wandlink::WandRecord;

constexpr wandlink::LocalTime kNow{2026, 12, 8, 10, 30};

std::vector<WandRecord> ThreeReadings() {
  return {MakeRecord({2026, 12, 1, 8, 0}, 0x11111111, MonthMode::Bcd),
          MakeRecord({2026, 12, 1, 8, 5}, 0x22222222, MonthMode::Bcd),
          MakeRecord({2026, 12, 1, 8, 9}, 0x33333333, MonthMode::Bcd)};
}

// A client that knows only the wand's protocol: one command byte, one 9-byte reply.
class WandClient {
 public:
  explicit WandClient(const std::string& device) : link_(wandlink::SerialLink::Open(device)) {
    if (link_) {
      link_->Configure();
    }
  }
  bool Opened() const { return link_ != nullptr; }

  std::size_t Probe() {
    Send(0x30);
    std::this_thread::sleep_for(650ms);
    return link_->InputQueueCount();
  }
  std::size_t Exchange(std::uint8_t command, WandRecord& reply) {
    Send(command);
    return link_->ReceiveFrame(reply);
  }
  void SetClock(const wandlink::ClockFrame& frame) { link_->SendFrame(frame); }

 private:
  void Send(std::uint8_t command) {
    const std::uint8_t bytes[] = {command};
    link_->SendFrame(bytes);
  }
  std::unique_ptr<wandlink::SerialLink> link_;
};

TEST(WandSimulator, ServesAWholeDownloadAndTakesTheClockFrame) {
  SimulatedWand wand(ThreeReadings(), {.wandNumber = 0x120A, .probeAnswerLength = 26});
  for (int download = 0; download < 2; ++download) {
    WandClient client(wand.Device());
    ASSERT_TRUE(client.Opened());
    EXPECT_EQ(client.Probe(), 26u);
    WandRecord reply{};
    ASSERT_EQ(client.Exchange(0x55, reply), 9u);
    EXPECT_STREQ(wandlink::FormatWandNumber(reply).data(), "120A");

    std::vector<std::string> buttons;
    std::uint8_t command = 0x04;
    while (client.Exchange(command, reply) == 9u && !wandlink::IsEndMarker(reply)) {
      buttons.push_back(wandlink::FormatButtonNumber(reply).data());
      command = 0x00;
    }
    EXPECT_TRUE(wandlink::IsEndMarker(reply));
    EXPECT_EQ(buttons, (std::vector<std::string>{"11111111", "22222222", "33333333"}));
    client.SetClock(wandlink::BuildClockFrame({2026, 12, 8, 10, 31}));
    std::this_thread::sleep_for(100ms);
  }
  const wandlink::ClockFrame expected{0x31, 0x10, 0x08, 0x12, 0x26};
  EXPECT_EQ(wand.ClockFrames(), (std::vector<wandlink::ClockFrame>{expected, expected}));
}

TEST(WandSimulator, FaultsTakeEffectAtTheirRecordCommand) {
  const struct {
    const char* name;
    WandBehaviour behaviour;
    std::size_t secondReply;
    std::chrono::milliseconds atMost;
  } cases[] = {
      {"short reply", {.shortReplyAt = 2}, 8, 3000ms},
      {"hang-up", {.hangUpAfter = 1}, 0, 1000ms},
      {"falls silent", {.silentAfter = 1}, 0, 3000ms},
      {"paced", {.paced = true}, 9, 1000ms},
  };
  for (const auto& c : cases) {
    SimulatedWand wand(ThreeReadings(), c.behaviour);
    WandClient client(wand.Device());
    ASSERT_TRUE(client.Opened()) << c.name;
    WandRecord reply{};
    EXPECT_EQ(client.Exchange(0x55, reply), 9u) << c.name;
    EXPECT_EQ(client.Exchange(0x04, reply), 9u) << c.name;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Exchange(0x00, reply), c.secondReply) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, c.atMost) << c.name;
  }
}

TEST(WandSimulator, AProbeThatFollowsAnUnfinishedDownloadIsAnswered) {
  SimulatedWand wand({}, {.probeAnswerLength = 25});
  {
    WandClient client(wand.Device());
    WandRecord reply{};
    ASSERT_EQ(client.Exchange(0x04, reply), 9u);
    ASSERT_TRUE(wandlink::IsEndMarker(reply));
  }
  WandClient next(wand.Device());
  EXPECT_EQ(next.Probe(), 25u);
  EXPECT_TRUE(wand.ClockFrames().empty());
}

TEST(PatrolLog, IsRepeatableAndEveryReadingDecodesToARealTimeBeforeNow) {
  for (const MonthMode mode : {MonthMode::Bcd, MonthMode::LowNibble}) {
    const auto log = GeneratePatrolLog(60001, 7, kNow, mode);
    ASSERT_EQ(log.size(), 60001u);
    EXPECT_EQ(log, GeneratePatrolLog(60001, 7, kNow, mode));
    EXPECT_NE(log, GeneratePatrolLog(60001, 8, kNow, mode));

    std::string previous;
    for (const WandRecord& record : log) {
      ASSERT_FALSE(wandlink::IsEndMarker(record));
      wandlink::TimeText time;
      wandlink::FormatRecordTime(record, time, mode, [] { return kNow; });
      const std::string text = time.data();
      ASSERT_NE(text.rfind("2000-", 0), 0u) << text;
      ASSERT_GE(text, "2026-08-09 00:00");
      ASSERT_LE(text, "2026-12-08 09:30");
      ASSERT_LE(previous, text);
      previous = text;
    }
  }
}

}  // namespace
}  // namespace wandsim
