#!/usr/bin/env bash
# The Windows stage of the test suite: cross-builds the Windows programs (scripts/windows/build.sh),
# makes a fresh Wine prefix (scripts/windows/wine-prefix.sh) and runs under Wine every test of
# build-win32/ labelled unit, e2e, package or bench (each benchmark once, briefly), then from
# build-win64/ the unit suites again and the 64-bit collector's short download.
# Builds the Linux programs first (scripts/build.sh): the simulated wand and the Linux collector
# take part.
#
# Later stages plug in here: every scripts/windows/stages/*.sh is run after these, in name order,
# with the prefix's WINEPREFIX and WINEDEBUG exported and its wineserver running, e.g. one that
# starts Xvfb and runs `ctest --test-dir build-win32 -L window`.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/build.sh
scripts/windows/build.sh
source scripts/windows/wine-prefix.sh

start=$(date +%s)
wine_prefix_start
echo "== Windows (under Wine): wand link and collector, 32-bit"
ctest --test-dir build-win32 --output-on-failure -j2 -L 'unit|e2e|package|bench'
echo "== Windows (under Wine): wand link and collector, 64-bit"
ctest --test-dir build-win64 --output-on-failure -j2 -L 'unit|download'

shopt -s nullglob
for stage in scripts/windows/stages/*.sh; do
  echo "== Windows (under Wine): $(basename "$stage" .sh)"
  bash "$stage"
done
echo "Windows stage: $(($(date +%s) - start)) s"
