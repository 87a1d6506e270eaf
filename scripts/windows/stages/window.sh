#!/usr/bin/env bash
# The window's tests: Korvanta.exe under Wine on a display of its own, driven by keys; the
# 64-bit one too, under Wine's 64-bit loader.
set -euo pipefail
cd "$(dirname "$0")/../../.."
ctest --test-dir build-win32 --output-on-failure -L window
ctest --test-dir build-win64 --output-on-failure -R '^window_e2e$'
