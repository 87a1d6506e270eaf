#!/usr/bin/env bash
# The history window under Wine on a display of its own, driven by real keys, over an archive in
# a real SQLite file (the prefix's stand-in winsqlite3.dll): a first wand archived by the
# collector, names imported with `wandread.exe names --import`, a second wand downloaded by the
# window while Ctrl+H opens the history beside it; the history, refreshed once the download is
# archived, filtered to one day and one guard and exported to a workbook, whose rows are what
# `wandread.exe history` prints with the same filters. With the archive off, the history still
# opens and closes.
# Usage: history_window_e2e.sh KORVANTA_EXE WANDREAD_EXE WANDSIM
# WINEPREFIX is a prepared prefix (fonts for 宋体, the stand-in DLL, wineserver running). With
# KORVANTA_SCREENSHOT set, the filtered history window is saved there as a PNG.
set -uo pipefail
exe=$1
wandread=$2
WANDSIM=$3
source "$(dirname "$0")/../e2e_lib.sh"
source "$(dirname "$0")/window_lib.sh"
archive=$scratch/archive.sqlite
export KORVANTA_ARCHIVE="Z:${archive//\//\\}"
history_title=巡检记录
export_title=导出
guard=李四
start_display

name=archive
# The same route (seed) on both wands: the checkpoints named are visited by both.
start_wand first --records 300 --seed 7 --wand 0BEE
wine "$wandread" COM4 >"$scratch/first.out" 2>"$scratch/first.err"
check "the collector archives the first wand" \
  test "$(sqlite3 "$archive" 'SELECT count(*) FROM readings')" -eq 300
# The second wand's guard and three checkpoints named; the first wand's guard is not.
{
  echo "号码,名称"
  echo "12E4,$guard"
  tail -n +2 "$scratch/first.out" | cut -f4 | sort -u | head -3 | paste -d, - <(printf '%s\n' 北门 东侧楼梯 "仓库 & <后门>")
} >"$scratch/names.csv"
wine "$wandread" names --import "$(winepath -w "$scratch/names.csv")" >/dev/null 2>"$scratch/names.err"
check "wandread.exe imports the names" \
  test "$(sqlite3 "$archive" 'SELECT count(*) FROM guards; SELECT count(*) FROM checkpoints')" = $'1\n3'

name=open-during-download
start_wand second --records 1000 --seed 7 --wand 12E4 --paced
check "the window opens" start_korvanta
press 测试Demo Return
sleep 1
press 测试Demo ctrl+h
check "Ctrl+H during the download opens the history" wait_until 5000 focused "$history_title"
check "while the download still runs" test "$(clock_frames)" -eq 0
check "the download goes on to its clock frame" wait_until 30000 clock_frame_sent
archived() { test "$(sqlite3 "$archive" 'SELECT count(*) FROM readings' 2>/dev/null)" = 1300; }
check "the archive has the window's download" wait_until 10000 archived

name=filter
day=$(date -d yesterday +%F)
# 昨夜 checks both dates, yesterday and today, and keeps the keyboard; the second date (Shift+Tab)
# then goes back a day: Right selects its year, month, day in turn. On the first of a month its
# day would wrap within the month: the month goes back instead, and End gives its last day.
press "$history_title" alt+l shift+Tab
if [[ $(date +%d) == 01 ]]; then
  press "$history_title" Right Right Down Right End
else
  press "$history_title" Right Right Right Down
fi
# Past 昨夜 to the guard's drop-down, and its first name.
press "$history_title" Tab Tab Down
sleep 1
if [[ -n ${KORVANTA_SCREENSHOT:-} ]]; then
  import -window "$(xdotool search --onlyvisible --name "^$history_title\$" | head -1)" "$KORVANTA_SCREENSHOT"
fi

name=export
press "$history_title" alt+e
check "导出 opens the save dialog" wait_until 5000 focused "$export_title"
press "$export_title" End shift+Home BackSpace
type_text "$export_title" "$(winepath -w "$scratch/history.xlsx")"
press "$export_title" Return
check "the save dialog closes" wait_until 5000 gone "$export_title"
check "the workbook is written" wait_until 10000 test -s "$scratch/history.xlsx"
wine "$wandread" history --from "$day" --to "$day" --guard "$guard" >"$scratch/expected.txt" \
  2>"$scratch/expected.err"
# workbook_rows FILE: the first sheet's rows, cells tab-separated, as the collector prints them
# (the workbook keeps the dates as dates, to the minute).
workbook_rows() {
  /usr/bin/python3 - "$1" <<'PYTHON'
import datetime, sys, openpyxl
def text(cell):
    if cell is None:
        return ""
    if isinstance(cell, datetime.datetime):
        return cell.strftime("%Y-%m-%d %H:%M")
    return str(cell)
sheet = openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets[0]
for row in sheet.iter_rows(values_only=True):
    print("\t".join(text(cell) for cell in row))
PYTHON
}
workbook_rows "$scratch/history.xlsx" >"$scratch/exported.txt"
check "the day has readings of the guard's, the downloaded wand's" \
  test "$(cut -f2 "$scratch/expected.txt" | sort -u | tr '\n' ' ')" = "12E4 棒号 "
check "the exported rows are wandread.exe history's with the same filters" \
  diff "$scratch/expected.txt" "$scratch/exported.txt"
check "the exported rows are the day's only" \
  test "$(tail -n +2 "$scratch/exported.txt" | cut -f3 | cut -c1-10 | sort -u)" = "$day"

name=close
press "$history_title" Escape
check "Escape closes the history" wait_until 5000 gone "$history_title"
check "the window stays" running
press 测试Demo ctrl+h
check "Ctrl+H opens it again" wait_until 5000 focused "$history_title"
press "$history_title" Escape
close_and_time_the_end
check "Escape then ends the program" ended

name=archive-off
export KORVANTA_ARCHIVE=off
start_korvanta
press 测试Demo ctrl+h
check "with the archive off, the history opens" wait_until 5000 focused "$history_title"
press "$history_title" alt+e alt+n
sleep 1
check "and offers neither export nor names" focused "$history_title"
press "$history_title" Escape
check "Escape closes it" wait_until 5000 gone "$history_title"
close_and_time_the_end
check "Escape ends the program" ended

summary
