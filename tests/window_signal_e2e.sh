#!/usr/bin/env bash
# The window ended by the system during a download (SIGTERM, SIGHUP, SIGINT), on a display of its
# own: each ends it as its close box would, at once, with the download cancelled before the
# clock frame and the line given back as the window found it; also while the box of a failed
# download is up, which nobody may be there to acknowledge.
# Usage: window_signal_e2e.sh WANDSIM KORVANTA
set -uo pipefail
WANDSIM=$1
korvanta=$2
source "$(dirname "$0")/e2e_lib.sh"
# A display of its own, whose number the server picks itself: no race with other displays. It
# is not reset when a case's window, its last client, goes, so the next case finds it up.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; cleanup' EXIT
for _ in $(seq 100); do
  [[ -s $scratch/display ]] && break
  sleep 0.05
done
export DISPLAY=:$(cat "$scratch/display") QT_QPA_PLATFORM=xcb

window_shown() { xdotool search --onlyvisible --name '^测试Demo$' >/dev/null 2>&1; }
line_settings() { stty -F "$(cat "$scratch/$name.device")" -g; }
# The wand has answered the probe: the download runs.
downloading() {
  [[ $(line_settings) != "$line_before" ]]
}
ended() { ! kill -0 "$window" 2>/dev/null; }

for signal in TERM HUP INT; do
  name=$signal
  start_sim "$name" --records 3000 --paced || exit 1
  line_before=$(line_settings)
  # A group of its own, as from a terminal: a background job would ignore SIGINT.
  set -m
  "$korvanta" >"$scratch/$name.out" 2>"$scratch/$name.err" &
  window=$!
  set +m
  check "$signal: the window opens" wait_until 10000 window_shown
  xdotool search --onlyvisible --name '^测试Demo$' windowfocus --sync key Return 2>/dev/null
  check "$signal: Enter starts the download" wait_until 5000 downloading
  sleep 1
  start=$(now_ms)
  kill -"$signal" "$window"
  wait_until 5000 ended || kill -KILL "$window"
  elapsed_ms=$(($(now_ms) - start))
  wait "$window"
  status=$?
  out=$(cat "$scratch/$name.out") err=$(cat "$scratch/$name.err")
  check "$signal: the window ends within a second, as a close" \
    test "$status" -eq 0 -a "$elapsed_ms" -lt 1000
  check "$signal: no clock frame" test "$(grep -c 'clock set' "$scratch/$name.sim")" -eq 0
  check "$signal: the line is as the window found it" test "$(line_settings)" == "$line_before"
  stop_sims
done

name=box
start_sim "$name" --records 40 --hangup-after 5 || exit 1
set -m
"$korvanta" >"$scratch/$name.out" 2>"$scratch/$name.err" &
window=$!
set +m
check "the window opens" wait_until 10000 window_shown
xdotool search --onlyvisible --name '^测试Demo$' windowfocus --sync key Return 2>/dev/null
box_shown() { xdotool search --onlyvisible --name '^Korvanta$' >/dev/null 2>&1; }
check "the failed download shows its box" wait_until 10000 box_shown
start=$(now_ms)
kill -TERM "$window"
wait_until 5000 ended || kill -KILL "$window"
elapsed_ms=$(($(now_ms) - start))
wait "$window"
status=$?
check "SIGTERM with the box up ends the window within a second" \
  test "$status" -eq 0 -a "$elapsed_ms" -lt 1000
summary
