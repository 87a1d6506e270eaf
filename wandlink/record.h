// The wand's 9-byte reply frame and the texts made from it.
//
// Every command of a download is answered with one WandRecord. The identify reply carries
// the wand number in bytes 1 and 2; a record reply carries the reading's minute, hour, day
// and month in bytes 1 to 4 (packed BCD, the month as MonthMode says) and the button number
// as a little-endian 32-bit value in bytes 5 to 8. Byte 1 equal to 0xFF ends the log.
//
// The texts are fixed-size, zero-terminated character arrays, so a slot can never be
// overrun: 5 bytes for the wand number, 9 for the button number, 17 for the time stamp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "local_clock.h"

namespace wandlink {

inline constexpr std::size_t kRecordSize = 9;
using WandRecord = std::array<std::uint8_t, kRecordSize>;

// How byte 4 of a record holds the month; chosen once per download from the kind of wand.
enum class MonthMode {
  Bcd = 0,        // both hexadecimal digits read as a decimal number: 0x12 is December
  LowNibble = 1,  // only the low digit counts; A, B and C stand for 10, 11 and 12
};

using WandNumberText = std::array<char, 5>;
using ButtonNumberText = std::array<char, 9>;
using TimeText = std::array<char, 17>;

inline constexpr std::uint8_t kEndMarker = 0xFF;

// True when the reply is the end-of-log marker rather than a record.
inline bool IsEndMarker(const WandRecord& reply) {
  return reply[1] == kEndMarker;
}

// "%02X%02X" over bytes 1 and 2 of the identify reply: 0x12, 0x0A give "120A".
WandNumberText FormatWandNumber(const WandRecord& identifyReply);

// Bytes 8, 7, 6, 5 as eight upper-case hexadecimal digits: 78 56 34 12 give "12345678".
ButtonNumberText FormatButtonNumber(const WandRecord& record);

// Writes the reading's time as "%d-%02d-%02d %02d:%02d" and returns its length.
//
// Each field is read the way the wand's firmware tools always have: the byte printed as two
// hexadecimal digits, then the leading decimal digits taken (0x3A reads 3, 0xA5 reads 0).
// The year is the latest (next, this or last) that dates the reading no more than a day
// after the clock.
// A month outside 1 to 12 gives "2000-01-01 00:00"; a day past the month's end, an hour
// past 23 or a minute past 59 gives "2000-MM-01 00:00". A day of 0 is accepted as it is.
// The clock is read on every call.
int FormatRecordTime(const WandRecord& record, TimeText& out, MonthMode monthMode,
                     const LocalClock& clock = SystemLocalTime);

// A value of 0 to 99 as two decimal digits in one byte, tens in the high four bits.
std::uint8_t PackBcd(int value);

inline constexpr std::size_t kClockFrameSize = 5;
using ClockFrame = std::array<std::uint8_t, kClockFrameSize>;

// The frame that sets the wand's clock: minute, hour, day, month, year modulo 100, each
// packed BCD. 2009-11-30 23:59 gives 59 23 30 11 09.
ClockFrame BuildClockFrame(const LocalTime& time);

}  // namespace wandlink
