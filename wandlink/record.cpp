#include "record.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace wandlink {
namespace {

using HexDigits = std::array<char, 3>;

HexDigits PrintHex(std::uint8_t byte) {
  HexDigits digits{};
  std::snprintf(digits.data(), digits.size(), "%02X", byte);
  return digits;
}

// The leading decimal digits of the byte's hexadecimal print; letters end the number.
int ReadDigits(std::uint8_t byte) {
  return std::atoi(PrintHex(byte).data());
}

int ReadMonth(std::uint8_t byte, MonthMode monthMode) {
  if (monthMode != MonthMode::LowNibble) {
    return ReadDigits(byte);
  }
  const char low = PrintHex(byte)[1];
  switch (low) {
    case 'A':
      return 10;
    case 'B':
      return 11;
    case 'C':
      return 12;
    default: {
      const char digit[2] = {low, '\0'};
      return std::atoi(digit);
    }
  }
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 2:
      return IsLeapYear(year) ? 29 : 28;
    default:
      return 31;
  }
}

// The moment the fields name in the given year. Fields past their range roll over, so any
// decoded values compare without a check of their own.
std::chrono::sys_time<std::chrono::minutes> MomentIn(int year, int month, int day, int hour,
                                                     int minute) {
  namespace chrono = std::chrono;
  const chrono::sys_days firstOfMonth{chrono::year{year} /
                                      chrono::month{static_cast<unsigned>(month)} / 1};
  return firstOfMonth + chrono::days{day - 1} + chrono::hours{hour} + chrono::minutes{minute};
}

// The wand keeps no year, so a reading takes the latest year that dates it no more than a day
// after the clock (the margin covers a wand clock running fast and daylight-saving shifts):
// next year when the clock is on 31 December and the wand already in January, last year for a
// reading whose date has not come yet this year. Only month 1 to 12 comes here.
int InferYear(const LocalTime& now, int month, int day, int hour, int minute) {
  const auto clock = MomentIn(now.year, now.month, now.day, now.hour, now.minute);
  for (int year = now.year + 1; year > now.year - 1; --year) {
    if (MomentIn(year, month, day, hour, minute) - clock <= std::chrono::days{1}) {
      return year;
    }
  }
  return now.year - 1;
}

int PrintTime(TimeText& out, int year, int month, int day, int hour, int minute) {
  const int length = std::snprintf(out.data(), out.size(), "%d-%02d-%02d %02d:%02d", year, month,
                                   day, hour, minute);
  const int capacity = static_cast<int>(out.size()) - 1;
  return length < capacity ? length : capacity;
}

}  // namespace

WandNumberText FormatWandNumber(const WandRecord& identifyReply) {
  WandNumberText text{};
  std::snprintf(text.data(), text.size(), "%02X%02X", identifyReply[1], identifyReply[2]);
  return text;
}

ButtonNumberText FormatButtonNumber(const WandRecord& record) {
  ButtonNumberText text{};
  std::snprintf(text.data(), text.size(), "%02X%02X%02X%02X", record[8], record[7], record[6],
                record[5]);
  return text;
}

int FormatRecordTime(const WandRecord& record, TimeText& out, MonthMode monthMode,
                     const LocalClock& clock) {
  const LocalTime now = clock();
  const int month = ReadMonth(record[4], monthMode);
  const int day = ReadDigits(record[3]);
  const int hour = ReadDigits(record[2]);
  const int minute = ReadDigits(record[1]);

  if (month < 1 || month > 12) {
    return PrintTime(out, 2000, 1, 1, 0, 0);
  }
  const int year = InferYear(now, month, day, hour, minute);
  if (day > DaysInMonth(month, year) || hour > 23 || minute > 59) {
    return PrintTime(out, 2000, month, 1, 0, 0);
  }
  return PrintTime(out, year, month, day, hour, minute);
}

std::uint8_t PackBcd(int value) {
  return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

ClockFrame BuildClockFrame(const LocalTime& time) {
  return {PackBcd(time.minute), PackBcd(time.hour), PackBcd(time.day), PackBcd(time.month),
          PackBcd(time.year % 100)};
}

}  // namespace wandlink
