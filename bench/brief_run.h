// The test command runs every benchmark once, briefly, so that one that hangs or fails is seen
// the day it breaks (KORVANTA_BENCH_BRIEF set). Its sizes and repeats then shrink to the least
// that still takes every step; the figures of such a run mean nothing.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace bench {

inline bool BriefRun() {
  return std::getenv("KORVANTA_BENCH_BRIEF") != nullptr;
}

// The size a benchmark measures, or the brief run's.
inline long SizeOr(long measured, long brief) {
  return BriefRun() ? brief : measured;
}

// The repeats a benchmark measures, or one in the brief run.
inline std::int64_t RepeatsOr(std::int64_t measured) {
  return BriefRun() ? 1 : measured;
}

}  // namespace bench
