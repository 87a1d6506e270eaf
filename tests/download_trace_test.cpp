// The trace of a download, written through the same opening every program uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "serial/port_open.h"
#include "support/recording_controls.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace wandlink {
namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  char byte[4];
  for (const std::uint8_t value : bytes) {
    std::snprintf(byte, sizeof byte, " %02X", value);
    text += byte;
  }
  return text;
}

TEST(DownloadTrace, HoldsThePortTheSettingsEveryByteInOrderAndTheEnding) {
  testing_support::ScratchFolder folder;
  const auto traceFile = folder.Path() / "trace.txt";
  std::ofstream(traceFile) << "an earlier trace\n";
  constexpr LocalTime kNow{2026, 12, 8, 9, 15};
  const auto log = wandsim::GeneratePatrolLog(3, 7, kNow, MonthMode::LowNibble);
  testing_support::SimulatedWand wand(log, {.wandNumber = 0xBEEF, .probeAnswerLength = 20});

  testing_support::EventLog events;
  testing_support::RecordingControls controls(events);
  DownloadContext context{.controls = &controls, .clock = [=] { return kNow; }};
  const PortChoice choice{.name = "COM4", .device = wand.Device(), .description = "FT232R"};
  ASSERT_TRUE(OpenForDownload(choice, context, traceFile));
  ASSERT_EQ(RunDownload(context), DownloadOutcome::Complete);

  std::ifstream in(traceFile);
  std::vector<std::string> lines;
  const std::regex stamp(R"(^ *\d+ ms  )");
  const std::regex date(R"(\d{4}-\d\d-\d\d \d\d:\d\d$)");
  for (std::string line; std::getline(in, line);) {
    // Every line of the download itself carries its time.
    EXPECT_EQ(std::regex_search(line, stamp), lines.size() > 2) << line;
    lines.push_back(std::regex_replace(std::regex_replace(line, stamp, ""), date, "DATE"));
  }
  std::vector<std::string> expected = {
      "an earlier trace",
      "",
      "== Korvanta download, DATE",
      "port COM4, device " + wand.Device() + ", FT232R",
      "settings: 9600 baud, 8 data bits, no parity, 1 stop bit, raw, low latency not offered by "
      "the driver",
      "sent: 30",
      "queue count 20",
      "month mode: low digit",
      "sent: 55",
      "received:" + Hex(wandsim::MakeIdentifyReply(0xBEEF)),
      "sent: 04"};
  for (std::size_t i = 0; i < log.size(); ++i) {
    expected.push_back("received:" + Hex(log[i]));
    expected.push_back("sent: 00");
  }
  expected.push_back("received:" + Hex(wandsim::MakeEndMarker()));
  expected.push_back("sent:" + Hex(BuildClockFrame(kNow)));
  expected.push_back("port closed");
  expected.push_back("ending: complete, 3 records, clock frame sent");
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace wandlink
