// Record decoding on any record, month mode and clock.
//
// Checked on every input: the time stamp fits its 17-byte slot, its length is what the call
// returns, and it is either a date in the reading's form ("%d-%02d-%02d %02d:%02d", the clock's
// year or the one before, a day no later than the month's last, hour and minute in range) or
// one of the fallbacks "2000-01-01 00:00" and "2000-MM-01 00:00". A reading is dated no more
// than a day after the clock, and takes last year only when this year's date would be.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "byte_reader.h"
#include "wandlink/record.h"

namespace {

[[noreturn]] void Violated(const char* invariant, const char* text) {
  std::printf("invariant violated: %s: \"%s\"\n", invariant, text);
  std::abort();
}

int DaysIn(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Minutes from the start of the year to the given moment of it.
int MinuteOfYear(int year, int month, int day, int hour, int minute) {
  int days = day - 1;
  for (int earlier = 1; earlier < month; ++earlier) {
    days += DaysIn(earlier, year);
  }
  return (days * 24 + hour) * 60 + minute;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::ByteReader input(data, size);
  wandlink::WandRecord record;
  for (auto& byte : record) {
    byte = input.Next();
  }
  const auto monthMode = static_cast<wandlink::MonthMode>(static_cast<std::int8_t>(input.Next()));
  const int year = 1 + (input.Next() << 8 | input.Next()) % 9999;
  const wandlink::LocalTime now{year, 1 + input.Next() % 12, 1 + input.Next() % 28,
                                input.Next() % 24, input.Next() % 60};

  wandlink::TimeText out;
  std::memset(out.data(), 0x7F, out.size());
  const int length = wandlink::FormatRecordTime(record, out, monthMode, [&] { return now; });
  const char* text = out.data();
  if (std::memchr(text, '\0', out.size()) == nullptr) {
    Violated("terminated within the slot", "");
  }
  if (length != static_cast<int>(std::strlen(text))) {
    Violated("returns its length", text);
  }

  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  char reprinted[32];
  if (std::sscanf(text, "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi) != 5 ||
      std::snprintf(reprinted, sizeof reprinted, "%d-%02d-%02d %02d:%02d", y, mo, d, h, mi) < 0 ||
      std::strcmp(reprinted, text) != 0) {
    Violated("in the reading's form", text);
  }
  if (mo < 1 || mo > 12) {
    Violated("a month of the year", text);
  }
  const bool fallback = y == 2000 && d == 1 && h == 0 && mi == 0;
  const bool reading =
      (y == now.year || y == now.year - 1) && d <= DaysIn(mo, y) && h <= 23 && mi <= 59 && d >= 0;
  if (!fallback && !reading) {
    Violated("a date or a fallback", text);
  }
  if (!fallback) {
    constexpr int kMarginMinutes = 24 * 60;
    const int clock = MinuteOfYear(now.year, now.month, now.day, now.hour, now.minute);
    const int thisYear = MinuteOfYear(now.year, mo, d, h, mi);
    if ((y == now.year) != (thisYear - clock <= kMarginMinutes)) {
      Violated("last year only for a reading ahead of the clock", text);
    }
  }
  return 0;
}
