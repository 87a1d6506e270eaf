#!/usr/bin/env bash
# The history window driven by keys on a display of its own: opened with Ctrl+H while a download
# runs, filtered to one day and one guard, exported as a workbook whose rows are wandread's
# history with the same filters; then, once the download is archived, the other wand's guard,
# whom the window now offers, exported the same way.
# Usage: history_window_e2e.sh WANDSIM WANDREAD KORVANTA
# HISTORY_SHOT=FILE keeps a picture of the screen with the filtered history in FILE.
set -uo pipefail
WANDSIM=$1
wandread=$2
korvanta=$3
source "$(dirname "$0")/e2e_lib.sh"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb=$!
trap 'kill "$window" "$xvfb" 2>/dev/null; cleanup' EXIT
window=
for _ in $(seq 100); do
  [[ -s $scratch/display ]] && break
  sleep 0.05
done
export DISPLAY=:$(cat "$scratch/display") QT_QPA_PLATFORM=xcb
export KORVANTA_ARCHIVE=$scratch/archive.sqlite HOME=$scratch

shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# keys WINDOW [KEY...]: focuses the window and gives it the keys, one at a time.
keys() {
  local id
  id=$(xdotool search --onlyvisible --name "$1" | head -1)
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null
  (($# == 0)) || xdotool key --delay 100 "$@"
}
sheet_rows() {
  /usr/bin/python3 - "$1" <<'PY'
import datetime, sys, openpyxl
for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows(values_only=True):
    print("\t".join("" if v is None else
                    v.strftime("%Y-%m-%d %H:%M") if isinstance(v, datetime.datetime) else str(v)
                    for v in row))
PY
}
# export_and_compare NAME GUARD: exports the shown rows by keys to NAME.xlsx and compares them
# with wandread's history of the day and the guard.
export_and_compare() {
  local file=$scratch/$1.xlsx
  keys '^巡检记录$' alt+e
  check "$1: the save dialog opens" wait_until 5000 shown '^导出$'
  keys '^导出$' ctrl+a
  xdotool type --delay 20 "$file"
  xdotool key Return
  check "$1: the workbook is written" wait_until 10000 test -s "$file"
  collect "$1" "$wandread" history --from "$day" --to "$day" --guard "$2"
  check "$1: wandread's history has rows" test "$(wc -l <"$scratch/$1.out")" -gt 1
  check "$1: the workbook's rows are wandread's history" diff <(sheet_rows "$file") "$scratch/$1.out"
}

# A wand downloaded before, its guard and the window's wand's guard named.
start_sim before --records 400 --wand 0BEE || exit 1
collect before "$wandread" COM4
check "a first wand archived" test "$status" -eq 0
stop_sims
printf '号码,名称\r\n0BEE,张三\r\n120A,李四\r\n17A38090,北门\r\n3C7053C0,"仓库 & 配电室"\r\n' >"$scratch/names.csv"
collect names "$wandread" names --import "$scratch/names.csv"
check "the names imported" test "$status" -eq 0
day=$(date -d yesterday +%F)

start_sim window --records 2000 --paced || exit 1
line_before=$(stty -F "$(cat "$scratch/window.device")" -g)
"$korvanta" >"$scratch/korvanta.out" 2>"$scratch/korvanta.err" &
window=$!
check "the window opens" wait_until 10000 shown '^测试Demo$'
keys '^测试Demo$' Return
downloading() { [[ $(stty -F "$(cat "$scratch/window.device")" -g) != "$line_before" ]]; }
check "Enter starts the download" wait_until 5000 downloading
keys '^测试Demo$' ctrl+h
check "Ctrl+H opens the history" wait_until 5000 shown '^巡检记录$'
# The window opens at the from date's year; a typed date ticks its box, and a date edit is
# tabbed through section by section, leaving it from its last. Then past 昨夜 to the guards:
# 全部, then the names in order.
keys '^巡检记录$'
xdotool type --delay 50 "${day//-/}"
xdotool key --delay 100 Tab Tab
xdotool type --delay 50 "${day//-/}"
xdotool key --delay 100 Tab Tab Down
check "the download still runs" downloading
export_and_compare zhang 张三

archived() { [[ $(sqlite3 "$KORVANTA_ARCHIVE" "SELECT count(*) FROM downloads") == 2 ]]; }
check "the download ends and is archived" wait_until 60000 archived
# A button's key leaves the focus where it was: on the guards, which now offer 李四 too.
keys '^巡检记录$' Down
export_and_compare li 李四
[[ -n ${HISTORY_SHOT:-} ]] && import -window root "$HISTORY_SHOT"
keys '^巡检记录$' Escape
check "Escape closes the history, the window stays" wait_until 5000 \
  bash -c '! xdotool search --onlyvisible --name "^巡检记录$" >/dev/null && xdotool search --onlyvisible --name "^测试Demo$" >/dev/null'
summary
