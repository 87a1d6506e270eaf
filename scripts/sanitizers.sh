#!/usr/bin/env bash
# The test suite again under sanitizers: everything under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the tests with threads (serial link, simulated wand, download,
# window) under ThreadSanitizer. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build() {
  local dir=$1 sanitize=$2
  if [[ ! -f $dir/build.ninja ]]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANTA_SANITIZE="$sanitize" \
      -DKORVANTA_BENCH=OFF >/dev/null
  fi
  cmake --build "$dir" >/dev/null
}

# A suite's last lines when it passes; the failures' output in full when it does not.
run_suite() {
  local dir=$1
  shift
  if ctest --test-dir "$dir" --output-on-failure -j2 "$@" >"$dir/suite.log" 2>&1; then
    tail -n 3 "$dir/suite.log"
  else
    grep -v -E '^ *(Start +[0-9]+:|[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed)' "$dir/suite.log" >&2
    return 1
  fi
}

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: the whole suite"
build build-asan address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
  run_suite build-asan

echo "== ThreadSanitizer: the tests with threads"
build build-tsan thread
TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
  run_suite build-tsan -R 'SerialLink|WandSimulator|Download|ReaderDialog|WindowMenu|CoalescedControls'
