#include <gtest/gtest.h>

#include "serial/port_names.h"

namespace wandlink {
namespace {

TEST(PortNamesOnWindows, ComNamesUpTo256AreTheSystemsDevicesAndDeviceNamesStayAsTheyAre) {
  const struct {
    const char* text;
    const wchar_t* device;
    bool devicePath;
  } cases[] = {
      {"COM1", LR"(\\.\COM1)", false},      {"COM4", LR"(\\.\COM4)", false},
      {"COM8", LR"(\\.\COM8)", false},      {R"(\\.\COM12)", LR"(\\.\COM12)", true},
      {R"(\\.\)", LR"(\\.\)", false},       {"COM9", LR"(\\.\COM9)", false},
      {"COM256", LR"(\\.\COM256)", false},  {"COM257", L"COM257", false},
      {"COM012", L"COM012", false},         {"/dev/ttyS0", L"/dev/ttyS0", false},
      {R"(C:\COM4)", LR"(C:\COM4)", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolvePortDevice(c.text).native(), c.device) << c.text;
    EXPECT_EQ(IsDevicePath(c.text), c.devicePath) << c.text;
  }
}

}  // namespace
}  // namespace wandlink
