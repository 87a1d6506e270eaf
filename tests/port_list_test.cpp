// The port list the windows offer, from what discovery found.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ports/port_list.h"
#include "ports/shown_text.h"

namespace wandlink {
namespace {

using testing::ElementsAreArray;

const DetectedPort kFtdi{"/dev/ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "0403:6001 A1", true};
const DetectedPort kAcm{"/dev/ttyACM0", "/dev/ttyACM0", "", "2341:0043", true};
const DetectedPort kUart{"COM2", "/dev/ttyS1", "", "", false};
const DetectedPort kOnBoardCom4{"COM4", "/dev/ttyS3", "", "", false};
const DetectedPort kEntry{"COM4", "/ports/COM4", "CH340 serial converter", "1a86:7523", true};

const std::vector<std::string> kFixed = {"COM1", "COM2", "COM3", "COM4",
                                         "COM5", "COM6", "COM7", "COM8"};

std::vector<std::string> FixedThen(std::vector<std::string> extra) {
  std::vector<std::string> labels = kFixed;
  labels.insert(labels.end(), extra.begin(), extra.end());
  return labels;
}

TEST(PortList, FixedNamesFirstThenDetectedPortsWithTheRightChoice) {
  const struct {
    const char* what;
    std::vector<DetectedPort> detected;
    std::optional<std::string_view> keep;
    std::vector<std::string> labels;
    std::string chosen;
  } cases[] = {
      {"nothing detected", {}, std::nullopt, kFixed, "COM4"},
      {"one adapter is chosen",
       {kUart, kFtdi},
       std::nullopt,
       FixedThen({"/dev/ttyUSB0  FT232R USB UART"}),
       "/dev/ttyUSB0"},
      {"two adapters leave COM4",
       {kAcm, kFtdi},
       std::nullopt,
       FixedThen({"/dev/ttyACM0", "/dev/ttyUSB0  FT232R USB UART"}),
       "COM4"},
      {"a detected COM4 stays chosen",
       {kEntry, kFtdi},
       std::nullopt,
       {"COM1", "COM2", "COM3", "COM4  CH340 serial converter", "COM5", "COM6", "COM7", "COM8",
        "/dev/ttyUSB0  FT232R USB UART"},
       "COM4"},
      {"an on-board COM4 stays chosen beside one adapter",
       {kOnBoardCom4, kFtdi},
       std::nullopt,
       FixedThen({"/dev/ttyUSB0  FT232R USB UART"}),
       "COM4"},
      {"a kept choice stays",
       {kAcm, kFtdi},
       "/dev/ttyACM0",
       FixedThen({"/dev/ttyACM0", "/dev/ttyUSB0  FT232R USB UART"}),
       "/dev/ttyACM0"},
      {"a kept choice that went away",
       {kFtdi},
       "/dev/ttyACM0",
       FixedThen({"/dev/ttyUSB0  FT232R USB UART"}),
       "/dev/ttyUSB0"},
      {"a kept fixed name stays",
       {kFtdi},
       "COM7",
       FixedThen({"/dev/ttyUSB0  FT232R USB UART"}),
       "COM7"},
  };
  for (const auto& c : cases) {
    const PortList list = BuildPortList(c.detected, c.keep);
    std::vector<std::string> labels;
    for (const PortChoice& choice : list.choices) {
      labels.push_back(choice.label);
    }
    EXPECT_THAT(labels, ElementsAreArray(c.labels)) << c.what;
    ASSERT_LT(list.chosen, list.choices.size()) << c.what;
    EXPECT_EQ(list.choices[list.chosen].name, c.chosen) << c.what;
  }
}

TEST(ShownText, KeepsPrintableUtf8AloneAndCutsLongText) {
  const struct {
    std::string untrusted;
    std::string shown;
  } cases[] = {
      {"FT232R USB UART \u4e32\u53e3", "FT232R USB UART \u4e32\u53e3"},
      {"\x1b]0;owned\x07\x1b[2JEvil\r\n\t\x7f", "]0;owned[2JEvil"},
      // C1 controls (CSI among them), a lone continuation byte, an overlong '/', a surrogate,
      // a sequence cut short and a code point past U+10FFFF.
      {"a\u0085b\u009b2Jc\x80"
       "d\xc0\xaf"
       "e\xed\xa0\x80"
       "f\xe4\xb8"
       "g\xf4\x90\x80\x80"
       "h",
       "ab2Jcdefgh"},
      {std::string("nul\0byte", 8), "nulbyte"},
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(63, 'x') + "\u4e32\u53e3", std::string(63, 'x') + "\u2026"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShownText(c.untrusted), c.shown) << c.untrusted;
  }
}

}  // namespace
}  // namespace wandlink
