#!/usr/bin/env bash
# The window's test: Korvanta.exe under Wine on a display of its own, driven by keys.
set -euo pipefail
cd "$(dirname "$0")/../../.."
ctest --test-dir build-win32 --output-on-failure -L window
