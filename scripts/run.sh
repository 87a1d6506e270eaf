#!/usr/bin/env bash
# The main job, without a wand: builds everything, puts a simulated wand with a realistic log
# on COM4 of a ports folder of its own, and downloads it. With a display and the window built,
# the window opens on it (choose COM4, press 采集数据); otherwise the command-line collector
# prints the log. The simulated wand stops when this script ends.
# Usage: scripts/run.sh [wandsim options, e.g. --records 60001]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null

ports=$(mktemp -d)
export KORVANTA_PORTS=$ports
build/tools/wandsim/wandsim --link "$ports/COM4" "$@" >/dev/null &
wand=$!
stop_wand() {
  kill "$wand" 2>/dev/null || true
  wait "$wand" 2>/dev/null || true
  rm -rf "$ports"
}
trap stop_wand EXIT
trap 'exit 130' INT TERM
for _ in $(seq 100); do
  [[ -L $ports/COM4 ]] && break
  kill -0 "$wand" 2>/dev/null || exit 1
  sleep 0.05
done

window=build/ui/korvanta
if [[ -x $window && -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  "$window"
else
  [[ -x $window ]] && echo "No display: downloading COM4 with the command-line collector." >&2
  build/tools/wandread/wandread COM4
fi
