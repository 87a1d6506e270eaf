#include "wandlink/record.h"

#include <gtest/gtest.h>

#include <string>

namespace wandlink {
namespace {

struct TimeCase {
  const char* name;
  std::uint8_t minute, hour, day, month;
  MonthMode mode;
  LocalTime now;
  const char* expected;
};

void PrintTo(const TimeCase& c, std::ostream* os) {
  *os << c.name;
}

WandRecord RecordOf(const TimeCase& c) {
  return {0x04, c.minute, c.hour, c.day, c.month, 0x78, 0x56, 0x34, 0x12};
}

constexpr LocalTime kDecember2009{2009, 12, 31, 12, 0};
constexpr LocalTime kMarch2009{2009, 3, 15, 12, 0};
constexpr LocalTime kJuly2009{2009, 7, 1, 0, 0};

std::string CaseName(const testing::TestParamInfo<TimeCase>& info) {
  return info.param.name;
}

class FormatRecordTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(FormatRecordTimeTest, PrintsTheReadingOrItsFallback) {
  const TimeCase& c = GetParam();
  TimeText out;
  out.fill('#');
  const int length = FormatRecordTime(RecordOf(c), out, c.mode, [&] { return c.now; });
  EXPECT_STREQ(out.data(), c.expected);
  EXPECT_EQ(length, static_cast<int>(std::string(c.expected).size()));
}

INSTANTIATE_TEST_SUITE_P(
    MonthModes, FormatRecordTimeTest,
    testing::Values(TimeCase{"BcdTwelve", 0x05, 0x17, 0x28, 0x12, MonthMode::Bcd, kDecember2009,
                             "2009-12-28 17:05"},
                    TimeCase{"BcdStopsAtLetter", 0x05, 0x17, 0x28, 0x1A, MonthMode::Bcd,
                             kDecember2009, "2009-01-28 17:05"},
                    TimeCase{"BcdZeroMonth", 0x05, 0x17, 0x28, 0x00, MonthMode::Bcd, kDecember2009,
                             "2000-01-01 00:00"},
                    TimeCase{"BcdThirteen", 0x05, 0x17, 0x28, 0x13, MonthMode::Bcd, kDecember2009,
                             "2000-01-01 00:00"},
                    TimeCase{"BcdLeadingLetterIsZero", 0x05, 0x17, 0x28, 0xA1, MonthMode::Bcd,
                             kDecember2009, "2000-01-01 00:00"},
                    TimeCase{"LowNibbleB", 0x05, 0x17, 0x28, 0x0B, MonthMode::LowNibble,
                             kDecember2009, "2009-11-28 17:05"},
                    TimeCase{"LowNibbleIgnoresHighDigit", 0x05, 0x17, 0x28, 0x3B,
                             MonthMode::LowNibble, kDecember2009, "2009-11-28 17:05"},
                    TimeCase{"LowNibbleA", 0x05, 0x17, 0x28, 0x0A, MonthMode::LowNibble,
                             kDecember2009, "2009-10-28 17:05"},
                    TimeCase{"LowNibbleC", 0x05, 0x17, 0x28, 0xFC, MonthMode::LowNibble,
                             kDecember2009, "2009-12-28 17:05"},
                    TimeCase{"LowNibbleDigit", 0x05, 0x17, 0x28, 0x19, MonthMode::LowNibble,
                             kDecember2009, "2009-09-28 17:05"},
                    TimeCase{"LowNibbleD", 0x05, 0x17, 0x28, 0x0D, MonthMode::LowNibble,
                             kDecember2009, "2000-01-01 00:00"},
                    TimeCase{"LowNibbleZero", 0x05, 0x17, 0x28, 0x10, MonthMode::LowNibble,
                             kDecember2009, "2000-01-01 00:00"}),
    CaseName);

// A reading takes the latest year that dates it no more than a day after the clock.
constexpr LocalTime kAugust2026{2026, 8, 5, 12, 0};
INSTANTIATE_TEST_SUITE_P(YearInference, FormatRecordTimeTest,
                         testing::Values(TimeCase{"NovemberReadInMarch", 0x00, 0x08, 0x02, 0x11,
                                                  MonthMode::Bcd, kMarch2009, "2008-11-02 08:00"},
                                         TimeCase{"NovemberReadInDecember", 0x00, 0x08, 0x02, 0x11,
                                                  MonthMode::Bcd, kDecember2009,
                                                  "2009-11-02 08:00"},
                                         TimeCase{"FebruaryReadInMarch", 0x00, 0x08, 0x02, 0x02,
                                                  MonthMode::Bcd, kMarch2009, "2009-02-02 08:00"},
                                         TimeCase{"NovemberReadInJuly", 0x00, 0x08, 0x02, 0x11,
                                                  MonthMode::Bcd, kJuly2009, "2008-11-02 08:00"},
                                         TimeCase{"JuneReadInMarch", 0x00, 0x08, 0x02, 0x06,
                                                  MonthMode::Bcd, kMarch2009, "2008-06-02 08:00"},
                                         TimeCase{"JulyReadInJune",
                                                  0x00,
                                                  0x08,
                                                  0x02,
                                                  0x07,
                                                  MonthMode::Bcd,
                                                  {2009, 6, 30, 0, 0},
                                                  "2008-07-02 08:00"},
                                         TimeCase{"NovemberReadInAugust", 0x00, 0x08, 0x20, 0x11,
                                                  MonthMode::Bcd, kAugust2026, "2025-11-20 08:00"},
                                         TimeCase{"FiveDaysAhead", 0x00, 0x10, 0x10, 0x08,
                                                  MonthMode::Bcd, kAugust2026, "2025-08-10 10:00"},
                                         TimeCase{"TwelveHoursAhead", 0x00, 0x00, 0x06, 0x08,
                                                  MonthMode::Bcd, kAugust2026, "2026-08-06 00:00"},
                                         TimeCase{"ExactlyADayAhead", 0x00, 0x12, 0x06, 0x08,
                                                  MonthMode::Bcd, kAugust2026, "2026-08-06 12:00"},
                                         TimeCase{"ADayAndAMinuteAhead", 0x01, 0x12, 0x06, 0x08,
                                                  MonthMode::Bcd, kAugust2026, "2025-08-06 12:01"},
                                         TimeCase{"DecemberReadInJanuary",
                                                  0x59,
                                                  0x23,
                                                  0x31,
                                                  0x12,
                                                  MonthMode::Bcd,
                                                  {2010, 1, 1, 0, 0},
                                                  "2009-12-31 23:59"},
                                         TimeCase{"MinutesBeforeTheClock",
                                                  0x05,
                                                  0x00,
                                                  0x01,
                                                  0x01,
                                                  MonthMode::Bcd,
                                                  {2010, 1, 1, 0, 10},
                                                  "2010-01-01 00:05"},
                                         TimeCase{"JanuaryReadOnNewYearsEve",
                                                  0x01,
                                                  0x00,
                                                  0x01,
                                                  0x01,
                                                  MonthMode::Bcd,
                                                  {2009, 12, 31, 23, 58},
                                                  "2010-01-01 00:01"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(LeapYears, FormatRecordTimeTest,
                         testing::Values(TimeCase{"Feb29In2008",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2008, 3, 1, 0, 0},
                                                  "2008-02-29 00:00"},
                                         TimeCase{"Feb29In2000",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2000, 3, 1, 0, 0},
                                                  "2000-02-29 00:00"},
                                         TimeCase{"Feb29In2009",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2009, 3, 1, 0, 0},
                                                  "2000-02-01 00:00"},
                                         TimeCase{"Feb29In2100",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2100, 3, 1, 0, 0},
                                                  "2000-02-01 00:00"},
                                         TimeCase{"Feb29InferredLastYear",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2009, 1, 1, 0, 0},
                                                  "2008-02-29 00:00"},
                                         TimeCase{"Feb29AheadTakesLeapYear",
                                                  0x00,
                                                  0x00,
                                                  0x29,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2029, 2, 10, 0, 0},
                                                  "2028-02-29 00:00"},
                                         TimeCase{"Feb28In2009",
                                                  0x00,
                                                  0x00,
                                                  0x28,
                                                  0x02,
                                                  MonthMode::Bcd,
                                                  {2009, 3, 1, 0, 0},
                                                  "2009-02-28 00:00"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    Fields, FormatRecordTimeTest,
    testing::Values(TimeCase{"April31", 0x00, 0x00, 0x31, 0x04, MonthMode::Bcd, kDecember2009,
                             "2000-04-01 00:00"},
                    TimeCase{"April30", 0x00, 0x00, 0x30, 0x04, MonthMode::Bcd, kDecember2009,
                             "2009-04-30 00:00"},
                    TimeCase{"Hour24", 0x00, 0x24, 0x01, 0x05, MonthMode::Bcd, kDecember2009,
                             "2000-05-01 00:00"},
                    TimeCase{"Minute60", 0x60, 0x23, 0x01, 0x05, MonthMode::Bcd, kDecember2009,
                             "2000-05-01 00:00"},
                    TimeCase{"DayZeroPasses", 0x07, 0x06, 0x00, 0x05, MonthMode::Bcd, kDecember2009,
                             "2009-05-00 06:07"},
                    TimeCase{"MinuteStopsAtLetter", 0x3A, 0x06, 0x01, 0x05, MonthMode::Bcd,
                             kDecember2009, "2009-05-01 06:03"},
                    TimeCase{"DayLeadingLetterIsZero", 0x07, 0x06, 0xA5, 0x05, MonthMode::Bcd,
                             kDecember2009, "2009-05-00 06:07"},
                    TimeCase{"EndMarkerBytesAreInvalid", 0xFF, 0xFF, 0xFF, 0xFF, MonthMode::Bcd,
                             kDecember2009, "2000-01-01 00:00"}),
    CaseName);

TEST(FormatRecordTime, ReadsTheClockOnEveryCall) {
  int reads = 0;
  LocalTime now = kMarch2009;
  const LocalClock clock = [&] {
    ++reads;
    return now;
  };
  const WandRecord november{0x04, 0x00, 0x08, 0x02, 0x11, 0, 0, 0, 0};
  TimeText out;
  FormatRecordTime(november, out, MonthMode::Bcd, clock);
  EXPECT_STREQ(out.data(), "2008-11-02 08:00");
  now = kDecember2009;
  FormatRecordTime(november, out, MonthMode::Bcd, clock);
  EXPECT_STREQ(out.data(), "2009-11-02 08:00");
  EXPECT_EQ(reads, 2);
}

TEST(FormatRecordTime, AYearTooLongForTheSlotIsCutAtItsEnd) {
  TimeText out;
  const WandRecord record{0x04, 0x59, 0x23, 0x31, 0x12, 0, 0, 0, 0};
  const int length = FormatRecordTime(record, out, MonthMode::Bcd, [] {
    return LocalTime{123456, 12, 31, 23, 59};
  });
  EXPECT_EQ(length, 16);
  EXPECT_EQ(out.back(), '\0');
  EXPECT_STREQ(out.data(), "123456-12-31 23:");
}

TEST(WandTexts, WandNumberIsBytesOneAndTwo) {
  EXPECT_STREQ(FormatWandNumber({0x55, 0x12, 0x0A, 9, 9, 9, 9, 9, 9}).data(), "120A");
  EXPECT_STREQ(FormatWandNumber({0x55, 0x00, 0xFF, 0, 0, 0, 0, 0, 0}).data(), "00FF");
}

TEST(WandTexts, ButtonNumberIsLittleEndian) {
  EXPECT_STREQ(FormatButtonNumber({0, 0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12}).data(), "12345678");
  EXPECT_STREQ(FormatButtonNumber({0, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x0A}).data(), "0A030201");
  EXPECT_STREQ(FormatButtonNumber({0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}).data(), "FFFFFFFF");
}

TEST(WandTexts, EndMarkerIsByteOne) {
  EXPECT_TRUE(IsEndMarker({0, 0xFF, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(IsEndMarker({0xFF, 0x59, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(ClockFrame, PacksMinuteHourDayMonthYear) {
  const struct {
    LocalTime time;
    ClockFrame frame;
  } cases[] = {
      {{2009, 11, 30, 23, 59}, {0x59, 0x23, 0x30, 0x11, 0x09}},
      {{2010, 1, 5, 8, 7}, {0x07, 0x08, 0x05, 0x01, 0x10}},
      {{2000, 12, 31, 0, 0}, {0x00, 0x00, 0x31, 0x12, 0x00}},
      {{2099, 2, 28, 10, 10}, {0x10, 0x10, 0x28, 0x02, 0x99}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildClockFrame(c.time), c.frame) << c.time.year << "-" << c.time.month;
  }
}

}  // namespace
}  // namespace wandlink
