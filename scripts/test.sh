#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, checks formatting and the core's
# layering, runs the fuzzers and the sanitizer builds, every test of the main build, and then the
# Windows programs' tests under Wine (scripts/windows/test.sh).
# With --quick, only the main build's tests. Fails, too, when a test leaves one of the builds'
# programs running.
set -euo pipefail
cd "$(dirname "$0")/.."
running_before=$(scripts/check-leftovers.sh)
scripts/build.sh
scripts/check-format.sh
scripts/check-layers.py
if [[ ${1:-} != --quick ]]; then
  scripts/fuzz.sh
  scripts/sanitizers.sh
fi
ctest --test-dir build --output-on-failure -j2
if [[ ${1:-} != --quick ]]; then
  scripts/windows/test.sh
fi
scripts/check-leftovers.sh "$running_before"
