#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "serial/serial_link.h"
#include "serial/wand_line_win32.h"
#include "support/recording_controls.h"
#include "wandlink/download.h"

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

// Whatever another program left on the port, every field the exchange depends on is ours.
TEST(SerialLinkOnWindows, TheWandsLineOverridesEveryHostileSetting) {
  DCB hostile{};
  hostile.DCBlength = sizeof hostile;
  hostile.BaudRate = CBR_115200;
  hostile.ByteSize = 7;
  hostile.Parity = EVENPARITY;
  hostile.StopBits = TWOSTOPBITS;
  hostile.fParity = TRUE;
  hostile.fOutxCtsFlow = TRUE;
  hostile.fOutxDsrFlow = TRUE;
  hostile.fDsrSensitivity = TRUE;
  hostile.fTXContinueOnXoff = FALSE;
  hostile.fOutX = TRUE;
  hostile.fInX = TRUE;
  hostile.fErrorChar = TRUE;
  hostile.fNull = TRUE;
  hostile.fAbortOnError = TRUE;
  hostile.fDtrControl = DTR_CONTROL_HANDSHAKE;
  hostile.fRtsControl = RTS_CONTROL_TOGGLE;
  DCB line = hostile;
  SetWandLine(line);
  const struct {
    const char* field;
    DWORD value;
    DWORD expected;
  } fields[] = {
      {"BaudRate", line.BaudRate, CBR_9600},
      {"ByteSize", line.ByteSize, 8},
      {"Parity", line.Parity, NOPARITY},
      {"StopBits, as it was", line.StopBits, TWOSTOPBITS},
      {"fBinary", line.fBinary, TRUE},
      {"fParity", line.fParity, FALSE},
      {"fOutxCtsFlow", line.fOutxCtsFlow, FALSE},
      {"fOutxDsrFlow", line.fOutxDsrFlow, FALSE},
      {"fDsrSensitivity", line.fDsrSensitivity, FALSE},
      {"fOutX", line.fOutX, FALSE},
      {"fInX", line.fInX, FALSE},
      {"fErrorChar", line.fErrorChar, FALSE},
      {"fNull", line.fNull, FALSE},
      {"fAbortOnError", line.fAbortOnError, FALSE},
      {"fDtrControl", line.fDtrControl, DTR_CONTROL_ENABLE},
      {"fRtsControl", line.fRtsControl, RTS_CONTROL_ENABLE},
  };
  for (const auto& field : fields) {
    EXPECT_EQ(field.value, field.expected) << field.field;
  }
}

// A driver that never ends a cancelled read (a pipe whose cancel is ignored stands in for it)
// holds neither the download nor its close: the link is given up after the grace period, and
// the download ends in its failure form.
TEST(SerialLinkOnWindows, ACancelTheDriverNeverCompletesEndsTheDownloadAsAFailure) {
  const std::wstring name =
      L"\\\\.\\pipe\\korvanta-ignored-cancel-" + std::to_wstring(::GetCurrentProcessId());
  UniqueHandle line =
      OwnFileHandle(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                       PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr));
  ASSERT_NE(line, nullptr);
  UniqueHandle wand = OwnFileHandle(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(wand, nullptr);
  const HANDLE lineHandle = line.get();

  testing_support::EventLog events;
  testing_support::RecordingControls controls(events);
  auto stop = std::make_shared<StopSignal>();
  DownloadContext context{
      .port = SerialLink::Adopt(std::move(line), stop, [](HANDLE, OVERLAPPED*) { return TRUE; }),
      .controls = &controls,
      .stop = stop,
      .pause = [](std::chrono::milliseconds) { return true; }};
  const auto start = std::chrono::steady_clock::now();
  auto download = std::async(std::launch::async, [&] { return RunDownload(context); });
  const bool ended = download.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!ended) {
    // Lets the old kind of wait go, so that the failure is reported rather than hung.
    ::CancelIoEx(lineHandle, nullptr);
  }
  ASSERT_TRUE(ended) << "the download waited on the driver";
  EXPECT_EQ(download.get(), DownloadOutcome::Failed);
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            SerialLink::kReceiveDeadline + SerialLink::kCancelGrace + std::chrono::seconds(2));
  EXPECT_THAT(events.Values("message "), testing::ElementsAre("读取数据失败"));
}

}  // namespace
}  // namespace wandlink
