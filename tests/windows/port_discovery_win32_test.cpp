#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ports/port_discovery.h"
#include "ports/usb_device_id_win32.h"

namespace wandlink {
namespace {

TEST(UsbHardwareId, VendorProductAndSerialFromTheInstanceIdsDriversMake) {
  const struct {
    const wchar_t* instanceId;
    const char* hardwareId;
  } cases[] = {
      {LR"(USB\VID_10C4&PID_EA60\0001)", "10c4:ea60 0001"},
      {LR"(FTDIBUS\VID_0403+PID_6001+A50285BIA\0000)", "0403:6001 A50285BIA"},
      // A serial number with a terminal's escape and a line break in it.
      {L"FTDIBUS\\VID_0403+PID_6001+A5\x1b[2J\r\nX\\0000", "0403:6001 A5[2JX"},
      // No serial number: Windows makes the instance up, with '&' in it.
      {LR"(USB\VID_1A86&PID_7523\5&2E6C5F3B&0&2)", "1a86:7523"},
      {LR"(USB\VID_2E8A&PID_000A&MI_00\6&1B4D0E06&0&0000)", "2e8a:000a"},
      {LR"(usb\vid_067b&pid_2303\6&3a3b5c4&0&1)", "067b:2303"},
      {LR"(ACPI\PNP0501\1)", ""},
      {LR"(USB\VID_12G4&PID_0001\X)", ""},
      {LR"(USB\VID_12)", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UsbHardwareId(c.instanceId), c.hardwareId);
  }
}

// Values added to SERIALCOMM for the test's life (the test prefix's registry is writable).
class SerialCommValues {
 public:
  explicit SerialCommValues(std::vector<std::pair<std::wstring, std::wstring>> values)
      : values_(std::move(values)) {
    for (const auto& [name, port] : values_) {
      ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name.c_str(), REG_SZ, port.c_str(),
                        static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    }
  }
  ~SerialCommValues() {
    for (const auto& [name, port] : values_) {
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, name.c_str());
    }
  }

 private:
  static constexpr const wchar_t* kKey = LR"(HARDWARE\DEVICEMAP\SERIALCOMM)";
  std::vector<std::pair<std::wstring, std::wstring>> values_;
};

TEST(DetectPorts, SerialCommPortsByNumberWithTheirDevicesAndOnlyComNames) {
  const SerialCommValues added({{LR"(\Device\KorvantaTest200)", L"COM200"},
                                {LR"(\Device\KorvantaTest12)", L"COM12"},
                                {LR"(\Device\KorvantaTest3)", L"COM3"},
                                {LR"(\Device\KorvantaTestCnc)", L"CNCA0"},
                                {LR"(\Device\KorvantaTest300)", L"COM300"}});
  const auto ports = DetectPorts();

  std::vector<int> numbers;
  for (const auto& port : ports) {
    ASSERT_TRUE(port.name.starts_with("COM")) << port.name;
    EXPECT_EQ(port.device, R"(\\.\)" + port.name);
    numbers.push_back(std::stoi(port.name.substr(3)));
  }
  EXPECT_TRUE(std::ranges::is_sorted(numbers)) << ::testing::PrintToString(numbers);
  EXPECT_EQ(std::ranges::adjacent_find(numbers), numbers.end());
  for (const int number : {3, 12, 200}) {
    EXPECT_EQ(std::ranges::count(numbers, number), 1) << number;
  }
  EXPECT_EQ(std::ranges::count(numbers, 300), 0);
}

}  // namespace
}  // namespace wandlink
