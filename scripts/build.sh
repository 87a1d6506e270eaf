#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh
if [[ ! -f build/build.ninja ]]; then
  cmake -S . -B build -G Ninja -DKORVANTA_WERROR=ON >/dev/null
fi
cmake --build build
