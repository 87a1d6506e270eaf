#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/.
# Progress goes to stderr; a run with nothing to do prints nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh
if [[ ! -f build/build.ninja ]]; then
  echo "Configuring the build in build/; the first build takes a few minutes." >&2
  cmake -S . -B build -G Ninja -DKORVANTA_WERROR=ON >/dev/null
fi
cmake --build build | sed '/^ninja: no work to do/d' >&2
