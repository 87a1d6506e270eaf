#include "wand_log.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace wandsim {
namespace {

using Minutes = std::chrono::sys_time<std::chrono::minutes>;

Minutes ToMinutes(const wandlink::LocalTime& time) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{time.year}, month{static_cast<unsigned>(time.month)},
                                      std::chrono::day{static_cast<unsigned>(time.day)}};
  return day + hours{time.hour} + minutes{time.minute};
}

wandlink::LocalTime FromMinutes(Minutes when) {
  using namespace std::chrono;
  const sys_days day = floor<days>(when);
  const year_month_day date{day};
  const hh_mm_ss<minutes> clock{when - day};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count())};
}

std::uint8_t MonthByte(int month, wandlink::MonthMode monthMode) {
  if (monthMode == wandlink::MonthMode::LowNibble) {
    return static_cast<std::uint8_t>(month);
  }
  return wandlink::PackBcd(month);
}

}  // namespace

wandlink::WandRecord MakeRecord(const wandlink::LocalTime& when, std::uint32_t button,
                                wandlink::MonthMode monthMode) {
  return {0x04,
          wandlink::PackBcd(when.minute),
          wandlink::PackBcd(when.hour),
          wandlink::PackBcd(when.day),
          MonthByte(when.month, monthMode),
          static_cast<std::uint8_t>(button),
          static_cast<std::uint8_t>(button >> 8),
          static_cast<std::uint8_t>(button >> 16),
          static_cast<std::uint8_t>(button >> 24)};
}

wandlink::WandRecord MakeIdentifyReply(std::uint16_t wandNumber) {
  return {0x55,
          static_cast<std::uint8_t>(wandNumber >> 8),
          static_cast<std::uint8_t>(wandNumber),
          0,
          0,
          0,
          0,
          0,
          0};
}

wandlink::WandRecord MakeEndMarker() {
  wandlink::WandRecord marker;
  marker.fill(wandlink::kEndMarker);
  return marker;
}

std::vector<wandlink::WandRecord> GeneratePatrolLog(std::size_t count, std::uint32_t seed,
                                                    const wandlink::LocalTime& now,
                                                    wandlink::MonthMode monthMode) {
  using namespace std::chrono;
  constexpr minutes kUsualGap{8};
  constexpr minutes kLongestSpan = days{120};
  std::mt19937 random(seed);

  std::vector<std::uint32_t> route(12);
  for (auto& button : route) {
    button = static_cast<std::uint32_t>(random());
  }
  const auto meanGap = count == 0 ? kUsualGap
                                  : std::clamp(kLongestSpan / static_cast<minutes::rep>(count),
                                               minutes{1}, kUsualGap);
  std::uniform_int_distribution<minutes::rep> gap(1, 2 * meanGap.count() - 1);
  std::bernoulli_distribution skipsButton(0.1);

  std::vector<Minutes> times(count);
  Minutes when = ToMinutes(now) - hours{1};
  for (auto it = times.rbegin(); it != times.rend(); ++it) {
    *it = when;
    when -= minutes{gap(random)};
  }

  std::vector<wandlink::WandRecord> log;
  log.reserve(count);
  std::size_t stop = 0;
  for (const Minutes time : times) {
    if (skipsButton(random)) {
      ++stop;
    }
    log.push_back(MakeRecord(FromMinutes(time), route[stop++ % route.size()], monthMode));
  }
  return log;
}

}  // namespace wandsim
