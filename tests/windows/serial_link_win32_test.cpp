#include <windows.h>

#include <gtest/gtest.h>

#include "wandlink/serial_link.h"

namespace wandlink {
namespace {

DWORD HandleCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

// The NUL device opens like any file but is no serial port.
TEST(SerialLinkOnWindows, AMissingPortOrADeviceThatIsNoSerialPortGivesNullAndLeavesNothingOpen) {
  for (const char* device : {R"(\\.\KORVANTA-NO-SUCH-PORT)", R"(\\.\NUL)"}) {
    const DWORD before = HandleCount();
    EXPECT_EQ(SerialLink::Open(device), nullptr) << device;
    EXPECT_EQ(HandleCount(), before) << device;
  }
}

}  // namespace
}  // namespace wandlink
