// The trace of a download, written through the same opening every program uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "serial/port_open.h"
#include "serial/traced_port.h"
#include "support/recording_controls.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"
#include "wandlink/messages.h"

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

std::vector<std::string> LinesOf(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(std::regex_replace(line, std::regex(R"(^ *\d+ ms  )"), ""));
  }
  return lines;
}

// Replies as given, one per receive: what an adapter that loses bytes hands on.
class RepliesAsGiven final : public WandPort {
 public:
  explicit RepliesAsGiven(std::vector<std::vector<std::uint8_t>> replies)
      : replies_(std::move(replies)) {}
  void SendFrame(std::span<const std::uint8_t>) override {}
  std::size_t ReceiveFrame(WandRecord& reply) override {
    const auto& next = replies_.at(next_++);
    std::ranges::copy(next, reply.begin());
    return next.size();
  }
  std::size_t InputQueueCount() override { return 0; }
  void Close() override {}

 private:
  std::vector<std::vector<std::uint8_t>> replies_;
  std::size_t next_ = 0;
};

TEST(DownloadTrace, AShortAndAnEmptyReplyAreTracedAsTheyCame) {
  testing_support::ScratchFolder folder;
  const auto traceFile = folder.Path() / "trace.txt";
  {
    TracedPort port(std::make_unique<RepliesAsGiven>(std::vector<std::vector<std::uint8_t>>{
                        {1, 2, 3, 4, 5, 6, 7, 8, 9}, {0xA1, 0xB2, 0xC3}, {}}),
                    DownloadTrace::Append(traceFile));
    WandRecord reply{};
    for (int i = 0; i < 3; ++i) {
      port.ReceiveFrame(reply);
    }
  }
  EXPECT_THAT(LinesOf(traceFile),
              testing::ElementsAre("", testing::StartsWith("== Korvanta download"),
                                   "received: 01 02 03 04 05 06 07 08 09",
                                   "received short: A1 B2 C3", "received nothing"));
}

// A trace file that cannot be written neither stops nor fails the download: it is said once,
// after the download, where its messages go.
TEST(DownloadTrace, AFileThatCannotBeWrittenIsSaidOnceAfterTheDownload) {
  testing_support::ScratchFolder folder;
  const auto noReader = folder.Path() / "no-reader";
  ASSERT_EQ(::mkfifo(noReader.c_str(), 0600), 0);
  int readerGone[2];
  ASSERT_EQ(::pipe2(readerGone, O_CLOEXEC), 0);
  const struct {
    const char* what;
    std::filesystem::path file;
    std::string reason;
    bool readerGoes = false;
  } cases[] = {
      {"a device", "/dev/full", "not a file, a terminal or a pipe"},
      {"a pipe without a reader", noReader, "a pipe without a reader, or a socket"},
      {"a pipe whose reader goes", "/proc/self/fd/" + std::to_string(readerGone[1]),
       std::strerror(EPIPE), true},
  };
  const auto log = wandsim::GeneratePatrolLog(5, 3, SystemLocalTime(), MonthMode::Bcd);
  for (const auto& c : cases) {
    testing_support::SimulatedWand wand(log);
    testing_support::EventLog events;
    testing_support::RecordingControls controls(events);
    DownloadContext context{.controls = &controls};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(OpenForDownload({.name = wand.Device()}, context, c.file)) << c.what;
    if (c.readerGoes) {
      ::close(readerGone[0]);
    }
    EXPECT_EQ(RunDownload(context), DownloadOutcome::Complete) << c.what;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.what;
    EXPECT_EQ(controls.Log().RowCount(), log.size()) << c.what;
    EXPECT_THAT(events.Values("message "),
                testing::ElementsAre(std::string(kTraceFailedMessage) + "\n" + c.reason))
        << c.what;
  }
  ::close(readerGone[1]);
}

// A reader that stops reading: every note returns at once, and what the buffer could not hold
// is counted in the trace when the reader comes back.
TEST(DownloadTrace, AStalledReaderHoldsNoNoteAndLinesLeftOutAreCounted) {
  int pipe[2];
  ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
  auto trace = DownloadTrace::Append("/proc/self/fd/" + std::to_string(pipe[1]));
  ::close(pipe[1]);
  constexpr int kNotes = 40000;
  const std::string text(100, 'x');
  auto notes = std::async(std::launch::async, [&] {
    for (int i = 0; i < kNotes; ++i) {
      trace->Note(text);
    }
  });
  const bool notedAtOnce = notes.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  EXPECT_TRUE(notedAtOnce) << "a note waited for the reader";

  std::string read;
  std::thread reader([&] {
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
      read.append(buffer, static_cast<std::size_t>(got));
    }
  });
  notes.wait();
  trace.reset();
  reader.join();
  ::close(pipe[0]);

  const std::regex leftOut(
      R"(^ *\d+ ms  \((\d+) lines left out here: the trace file did not keep up\)$)");
  int written = 0;
  int leftOutCount = 0;
  std::istringstream lines(read);
  for (std::string line; std::getline(lines, line);) {
    std::smatch count;
    if (line.ends_with(text)) {
      ++written;
    } else if (std::regex_match(line, count, leftOut)) {
      leftOutCount += std::stoi(count[1]);
    }
  }
  EXPECT_GT(written, 0);
  EXPECT_GT(leftOutCount, 0);
  EXPECT_EQ(written + leftOutCount, kNotes);
}

}  // namespace
}  // namespace wandlink
