#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, checks formatting, runs the fuzzers
# and the sanitizer builds, then every test of the main build.
# With --quick, only the main build's tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/check-format.sh
if [[ ${1:-} != --quick ]]; then
  scripts/fuzz.sh
  scripts/sanitizers.sh
fi
ctest --test-dir build --output-on-failure -j2
