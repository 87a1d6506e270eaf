#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, checks formatting, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/check-format.sh
ctest --test-dir build --output-on-failure -j2
