// Port discovery and the download on a detected port, against serial hardware emulated by
// umockdev (the test runs through umockdev-wrapper).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "ports/port_discovery.h"
#include "ports/port_list.h"
#include "serial/port_names.h"
#include "serial/port_open.h"
#include "support/fake_serial_devices.h"
#include "support/recording_controls.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace wandlink {
namespace {

using testing::ElementsAre;
using testing::FieldsAre;
using testing_support::FakeSerialDevices;

// An FTDI adapter, a CDC-ACM device, an on-board UART and a serial line the driver reserves
// with no UART behind it.
void AddHardware(FakeSerialDevices& devices) {
  const auto ftdi =
      devices.AddUsbDevice("1-1", "0403", "6001", "A1B2C3", "FT232R USB UART", "ftdi_sio");
  const auto converter = devices.Add("usb-serial", "ttyUSB0", ftdi, {});
  devices.AddTerminal("ttyUSB0", converter, {},
                      {"ID_MODEL_FROM_DATABASE", "FT232 Serial (UART) IC"});
  const auto acm = devices.AddUsbDevice("1-2", "2341", "0043", "", "Arduino Uno", "cdc_acm");
  devices.AddTerminal("ttyACM0", acm);
  const auto platform = devices.Add("platform", "serial8250", "", {});
  devices.AddTerminal("ttyS1", platform, {"type", "4"});
  devices.AddTerminal("ttyS2", platform, {"type", "0"});
}

TEST(PortDiscovery, FindsAdaptersAndPresentUartsAndDownloadsThroughADetectedAdapter) {
  testing_support::ScratchPorts folder;
  FakeSerialDevices devices;
  ASSERT_TRUE(umockdev_in_mock_environment()) << "run through umockdev-wrapper";
  AddHardware(devices);
  // Entries that lead nowhere (an adapter unplugged) are no ports.
  folder.Link("COM4", folder.Nowhere());
  folder.Link("COM12", folder.Nowhere());

  EXPECT_THAT(
      DetectPorts(),
      ElementsAre(FieldsAre("COM2", "/dev/ttyS1", "", "", false),
                  FieldsAre("/dev/ttyACM0", "/dev/ttyACM0", "Arduino Uno", "2341:0043", true),
                  FieldsAre("/dev/ttyUSB0", "/dev/ttyUSB0", "FT232 Serial (UART) IC",
                            "0403:6001 A1B2C3", true)));

  // A ports folder entry leading to the adapter comes first, under its own name, with the
  // adapter's names; the adapter is not listed again. A download on it reaches the adapter.
  auto adapterLine = devices.FarEnd("/dev/ttyUSB0");
  folder.Link("COM4", adapterLine.SlavePath());
  const auto wandLog = wandsim::GeneratePatrolLog(12, 2, SystemLocalTime(), MonthMode::Bcd);
  testing_support::SimulatedWand wand(std::move(adapterLine), wandLog);
  const auto entry = (PortsFolder() / "COM4").string();
  EXPECT_THAT(
      DetectPorts(),
      ElementsAre(FieldsAre("COM4", entry, "FT232 Serial (UART) IC", "0403:6001 A1B2C3", true),
                  FieldsAre("COM2", "/dev/ttyS1", "", "", false),
                  FieldsAre("/dev/ttyACM0", "/dev/ttyACM0", "Arduino Uno", "2341:0043", true)));

  const PortList list = BuildPortList(DetectPorts());
  const PortChoice& chosen = list.choices[list.chosen];
  EXPECT_EQ(chosen.label, "COM4  FT232 Serial (UART) IC");
  testing_support::EventLog events;
  testing_support::RecordingControls controls(events);
  DownloadContext context{.controls = &controls};
  ASSERT_TRUE(OpenForDownload(chosen, context, std::nullopt));
  EXPECT_EQ(RunDownload(context), DownloadOutcome::Complete);
  EXPECT_EQ(controls.Log().RowCount(), wandLog.size());
}

}  // namespace
}  // namespace wandlink
