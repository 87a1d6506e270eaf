#include "serial/port_names.h"

#include "support/scratch_ports.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

namespace wandlink {
namespace {

namespace fs = std::filesystem;

TEST(PortNames, OnlyComOneToEightAreNames) {
  const struct {
    const char* text;
    std::optional<int> number;
  } cases[] = {
      {"COM1", 1},
      {"COM4", 4},
      {"COM8", 8},
      {"COM0", std::nullopt},
      {"COM9", std::nullopt},
      {"COM04", std::nullopt},
      {"com4", std::nullopt},
      {"COM", std::nullopt},
      {"COM4 ", std::nullopt},
      {"COM-1", std::nullopt},
      {"/dev/ttyUSB0", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParsePortName(c.text), c.number) << c.text;
  }
  EXPECT_EQ(PortName(7), "COM7");
}

// Each test gets an empty scratch folder and an environment without the variables the
// resolver reads.
class ResolvePortDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("KORVANTA_PORTS");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", scratch_.c_str(), 1);
  }
  testing_support::ScratchFolder folder_;
  const fs::path& scratch_ = folder_.Path();
};

TEST_F(ResolvePortDeviceTest, WithoutAnEntryComNIsTtySNMinusOne) {
  EXPECT_EQ(ResolvePortDevice("COM1"), "/dev/ttyS0");
  EXPECT_EQ(ResolvePortDevice("COM4"), "/dev/ttyS3");
  EXPECT_EQ(ResolvePortDevice("COM8"), "/dev/ttyS7");
}

TEST_F(ResolvePortDeviceTest, AnEntryInTheFolderNamedByTheEnvironmentWins) {
  const fs::path ports = scratch_ / "ports";
  fs::create_directories(ports);
  fs::create_symlink("/dev/ttyUSB0", ports / "COM4");
  ::setenv("KORVANTA_PORTS", ports.c_str(), 1);
  EXPECT_EQ(ResolvePortDevice("COM4"), ports / "COM4");
  EXPECT_EQ(ResolvePortDevice("COM5"), "/dev/ttyS4");
}

TEST_F(ResolvePortDeviceTest, ALinkToNothingIsStillThePortsDevice) {
  const fs::path ports = scratch_ / "ports";
  fs::create_directories(ports);
  fs::create_symlink(scratch_ / "unplugged", ports / "COM2");
  ::setenv("KORVANTA_PORTS", ports.c_str(), 1);
  EXPECT_EQ(ResolvePortDevice("COM2"), ports / "COM2");
}

TEST_F(ResolvePortDeviceTest, FolderFallsBackToXdgConfigThenHome) {
  EXPECT_EQ(PortsFolder(), scratch_ / ".config" / "korvanta" / "ports");
  fs::create_directories(scratch_ / ".config" / "korvanta" / "ports");
  fs::create_symlink("/dev/ttyACM0", scratch_ / ".config" / "korvanta" / "ports" / "COM1");
  EXPECT_EQ(ResolvePortDevice("COM1"), scratch_ / ".config" / "korvanta" / "ports" / "COM1");

  ::setenv("XDG_CONFIG_HOME", (scratch_ / "xdg").c_str(), 1);
  EXPECT_EQ(PortsFolder(), scratch_ / "xdg" / "korvanta" / "ports");
  EXPECT_EQ(ResolvePortDevice("COM1"), "/dev/ttyS0");
}

TEST_F(ResolvePortDeviceTest, ADevicePathIsKeptAsItIs) {
  EXPECT_EQ(ResolvePortDevice("/dev/ttyUSB1"), "/dev/ttyUSB1");
  EXPECT_EQ(ResolvePortDevice("COM9"), "COM9");
}

}  // namespace
}  // namespace wandlink
