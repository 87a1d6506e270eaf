#include "serial/serial_link.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "pseudo_terminal.h"
#include "support/process_counts.h"

// What a USB adapter's driver answers and a pty cannot: the serial flags, and an output queue
// that empties one byte at each look. Every other call goes to the system.
struct EmulatedDriver {
  bool on = false;
  bool ignoresLowLatency = false;
  int flags = 0;
  int queued = 0;
  // The queue was looked at after the line had its old speed back.
  bool lookedAfterRestore = false;
};
EmulatedDriver driver;

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list arguments;
  va_start(arguments, request);
  void* const argument = va_arg(arguments, void*);
  va_end(arguments);
  if (driver.on) {
    switch (request) {
      case TIOCGSERIAL:
        *static_cast<serial_struct*>(argument) = serial_struct{.flags = driver.flags};
        return 0;
      case TIOCSSERIAL:
        if (!driver.ignoresLowLatency) {
          driver.flags = static_cast<const serial_struct*>(argument)->flags;
        }
        return 0;
      case TIOCOUTQ: {
        termios line{};
        driver.lookedAfterRestore |=
            ::tcgetattr(fd, &line) == 0 && ::cfgetospeed(&line) != static_cast<speed_t>(B9600);
        *static_cast<int*>(argument) = driver.queued;
        driver.queued = std::max(driver.queued - 1, 0);
        return 0;
      }
      default:
        break;
    }
  }
  static const auto system =
      reinterpret_cast<int (*)(int, unsigned long, ...)>(::dlsym(RTLD_NEXT, "ioctl"));
  return system(fd, request, argument);
}

namespace wandlink {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing_support::OpenDescriptorCount;

std::chrono::milliseconds ThreadCpuTime() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

// The far end of a line: a pseudo-terminal whose master side the test writes as the wand.
class SerialLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    auto line = wandsim::PseudoTerminal::Create();
    ASSERT_TRUE(line);
    line_.emplace(std::move(*line));
  }

  std::unique_ptr<SerialLink> OpenConfigured(std::shared_ptr<const StopSignal> stop = nullptr) {
    auto link = SerialLink::Open(line_->SlavePath().string(), std::move(stop));
    if (link) {
      link->Configure();
    }
    return link;
  }

  void WandSends(std::vector<std::uint8_t> bytes) {
    ASSERT_EQ(::write(line_->Master(), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
  }

  // Bytes written to the master reach the port's input queue a moment later.
  void AwaitInputQueue(SerialLink& link, std::size_t count) {
    const auto deadline = Clock::now() + 2s;
    while (link.InputQueueCount() < count && Clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
  }

  std::vector<std::uint8_t> WandReceives() {
    std::vector<std::uint8_t> bytes(64);
    std::this_thread::sleep_for(50ms);
    const ssize_t got = ::read(line_->Master(), bytes.data(), bytes.size());
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
  }

  std::optional<wandsim::PseudoTerminal> line_;
};

TEST_F(SerialLinkTest, SendsTheFrameAndReceivesNineBytesAsTheyArrive) {
  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  const std::uint8_t command[] = {0x55};
  link->SendFrame(command);
  EXPECT_EQ(WandReceives(), std::vector<std::uint8_t>{0x55});

  std::thread wand([&] {
    WandSends({0x55, 0x12, 0x0A, 0x00});
    std::this_thread::sleep_for(200ms);
    WandSends({0x01, 0x02, 0x03, 0x04, 0x05});
  });
  WandRecord reply{};
  const auto start = Clock::now();
  EXPECT_EQ(link->ReceiveFrame(reply), 9u);
  EXPECT_LT(Clock::now() - start, 1500ms);
  wand.join();
  EXPECT_EQ(reply, (WandRecord{0x55, 0x12, 0x0A, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05}));
}

TEST_F(SerialLinkTest, EveryByteValueArrivesAsData) {
  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  const std::vector<std::uint8_t> awkward = {0x11, 0x13, 0xFF, 0x0D, 0x0A, 0x03, 0x1C, 0x7F, 0x00};
  WandSends(awkward);
  WandRecord reply{};
  ASSERT_EQ(link->ReceiveFrame(reply), 9u);
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin(), reply.end()), awkward);

  const std::vector<std::uint8_t> frame = {0x59, 0x23, 0x0A, 0x11, 0x13};
  link->SendFrame(frame);
  EXPECT_EQ(WandReceives(), frame);
}

// The two waits that run into the deadline, with the CPU the waiting thread spent meanwhile.
TEST_F(SerialLinkTest, AShortReplyIsReturnedAtTheDeadlineWithoutSpinning) {
  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  for (const std::size_t sent : {std::size_t{0}, std::size_t{8}}) {
    WandSends(std::vector<std::uint8_t>(sent, 0x42));
    WandRecord reply{};
    const auto start = Clock::now();
    const auto cpuBefore = ThreadCpuTime();
    EXPECT_EQ(link->ReceiveFrame(reply), sent);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 1990ms) << sent << " bytes";
    EXPECT_LT(waited, 4000ms) << sent << " bytes";
    EXPECT_LT(ThreadCpuTime() - cpuBefore, 50ms) << sent << " bytes";
  }
}

TEST_F(SerialLinkTest, SendingDiscardsWhatTheWandSentBefore) {
  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  WandSends({0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  AwaitInputQueue(*link, 5);
  ASSERT_EQ(link->InputQueueCount(), 5u);

  const std::uint8_t command[] = {0x00};
  link->SendFrame(command);
  EXPECT_EQ(link->InputQueueCount(), 0u);
  WandSends({1, 2, 3, 4, 5, 6, 7, 8, 9});
  WandRecord reply{};
  ASSERT_EQ(link->ReceiveFrame(reply), 9u);
  EXPECT_EQ(reply, (WandRecord{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(SerialLinkTest, AHungUpLineEndsTheWaitAtOnce) {
  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  std::thread unplug([&] {
    std::this_thread::sleep_for(100ms);
    line_->HangUp();
  });
  WandRecord reply{};
  const auto start = Clock::now();
  EXPECT_LT(link->ReceiveFrame(reply), 9u);
  EXPECT_LT(Clock::now() - start, 1000ms);
  unplug.join();

  const auto again = Clock::now();
  EXPECT_EQ(link->ReceiveFrame(reply), 0u);
  EXPECT_LT(Clock::now() - again, 500ms);
}

TEST_F(SerialLinkTest, AStopRequestEndsTheWaitAtOnceAndEveryLaterOne) {
  auto stop = std::make_shared<StopSignal>();
  auto link = OpenConfigured(stop);
  ASSERT_TRUE(link);
  std::thread closer([&] {
    std::this_thread::sleep_for(100ms);
    stop->Request();
  });
  WandRecord reply{};
  const auto start = Clock::now();
  EXPECT_EQ(link->ReceiveFrame(reply), 0u);
  EXPECT_LT(Clock::now() - start, 1000ms);
  closer.join();
  EXPECT_EQ(link->ReceiveFrame(reply), 0u);
  EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST_F(SerialLinkTest, APortIsHeldByOneOpenerAtATime) {
  const int before = OpenDescriptorCount();
  auto first = SerialLink::Open(line_->SlavePath().string());
  ASSERT_TRUE(first);
  EXPECT_FALSE(SerialLink::Open(line_->SlavePath().string()));
  EXPECT_EQ(OpenDescriptorCount(), before + 1);
  first.reset();
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_TRUE(SerialLink::Open(line_->SlavePath().string()));
}

TEST_F(SerialLinkTest, ConfiguresARawLineAndRestoresTheOriginalOnClose) {
  termios original{};
  ASSERT_EQ(::tcgetattr(line_->Slave(), &original), 0);
  original.c_lflag |= ICANON | ECHO | ISIG;
  original.c_iflag |= IXON | IXOFF | ICRNL;
  original.c_oflag |= OPOST;
  original.c_cflag |= CSTOPB | PARENB;
  ::cfsetispeed(&original, B19200);
  ::cfsetospeed(&original, B19200);
  ASSERT_EQ(::tcsetattr(line_->Slave(), TCSANOW, &original), 0);
  ASSERT_EQ(::tcgetattr(line_->Slave(), &original), 0);

  auto link = OpenConfigured();
  ASSERT_TRUE(link);
  termios line{};
  ASSERT_EQ(::tcgetattr(line_->Slave(), &line), 0);
  EXPECT_EQ(::cfgetispeed(&line), static_cast<speed_t>(B9600));
  EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B9600));
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (PARENB | CRTSCTS), 0u);
  EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_NE(line.c_cflag & CSTOPB, 0u) << "stop bits are left as they were";
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_cc[VMIN], 0);
  EXPECT_EQ(line.c_cc[VTIME], 0);

  link->Close();
  termios restored{};
  ASSERT_EQ(::tcgetattr(line_->Slave(), &restored), 0);
  EXPECT_EQ(restored.c_iflag, original.c_iflag);
  EXPECT_EQ(restored.c_oflag, original.c_oflag);
  EXPECT_EQ(restored.c_cflag, original.c_cflag);
  EXPECT_EQ(restored.c_lflag, original.c_lflag);
  EXPECT_EQ(::cfgetispeed(&restored), static_cast<speed_t>(B19200));
}

TEST_F(SerialLinkTest, CloseWaitsForTheOutputQueueThenGivesTheLowLatencyFlagBack) {
  const struct {
    const char* what;
    int flags;
    bool ignoresLowLatency;
    const char* settings;
    int flagsWhileOpen;
  } cases[] = {
      {"a driver that takes it", 0, false, ", low latency turned on", ASYNC_LOW_LATENCY},
      {"a driver that ignores it", 0, true, ", low latency asked for but not taken by the driver",
       0},
      {"already on", ASYNC_LOW_LATENCY, false, ", low latency already on", ASYNC_LOW_LATENCY},
  };
  for (const auto& c : cases) {
    driver = {.on = true, .ignoresLowLatency = c.ignoresLowLatency, .flags = c.flags, .queued = 3};
    auto link = OpenConfigured();
    ASSERT_TRUE(link) << c.what;
    EXPECT_THAT(link->Settings(), testing::EndsWith(c.settings)) << c.what;
    EXPECT_EQ(driver.flags, c.flagsWhileOpen) << c.what;
    link->Close();
    driver.on = false;
    EXPECT_EQ(driver.flags, c.flags) << c.what << ": the flag as it was";
    EXPECT_EQ(driver.queued, 0) << c.what << ": the output queue waited for";
    EXPECT_FALSE(driver.lookedAfterRestore) << c.what << ": the line restored only after it";
  }
}

TEST(SerialLinkOpen, WhatIsNoSerialPortIsRefusedAndLeavesNothingOpen) {
  namespace fs = std::filesystem;
  const fs::path scratch =
      fs::temp_directory_path() / ("korvanta-open-" + std::to_string(getpid()));
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  std::ofstream(scratch / "plain-file") << "not a port";
  fs::create_symlink("/dev/null", scratch / "to-null");
  fs::create_symlink(scratch / "plain-file", scratch / "to-file");
  fs::create_symlink(scratch / "unplugged", scratch / "to-nothing");

  const int before = OpenDescriptorCount();
  for (const char* name : {"missing", "plain-file", "to-null", "to-file", "to-nothing"}) {
    EXPECT_FALSE(SerialLink::Open((scratch / name).string())) << name;
    EXPECT_EQ(OpenDescriptorCount(), before) << name;
  }
  EXPECT_FALSE(SerialLink::Open(scratch.string()));
  EXPECT_EQ(OpenDescriptorCount(), before);
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace wandlink
