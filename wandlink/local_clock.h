// The computer's local wall clock, as the wand protocol sees it.
//
// Record decoding reads the clock for the year the wand does not store, and the download
// reads it for the clock frame that sets the wand. Both take a LocalClock so that tests can
// fix "now"; SystemLocalTime is the real clock.
#pragma once

#include <functional>

namespace wandlink {

// A broken-down local time; month is 1 to 12, day 1 to 31.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;

  bool operator==(const LocalTime&) const = default;
};

using LocalClock = std::function<LocalTime()>;

// Reads the system clock in the process's time zone.
LocalTime SystemLocalTime();

}  // namespace wandlink
