#!/usr/bin/env bash
# The Windows window under Wine on a display of its own, driven by real keys: a download to the
# clock frame, its rows copied (Ctrl+A, Ctrl+C: the text and the HTML flavour) and exported
# through the list's menu to CSV and to a workbook, compared with the Linux collector's output on
# the same wand, a port that cannot be opened, the About box through the window menu, Escape or
# Alt+F4 during a download, also when Enter presses follow Escape at once, and a port above COM8
# chosen from the list.
# Usage: window_e2e.sh KORVANTA_EXE WANDSIM WANDREAD CLIPBOARD_TEXT_EXE
# WINEPREFIX is a prepared prefix (fonts for 宋体, wineserver running); its COM4 is relinked
# here. With KORVANTA_SCREENSHOT set, the window after a download is saved there as a PNG.
set -uo pipefail
exe=$1
WANDSIM=$2
wandread=$3
clipboard_text=$4
source "$(dirname "$0")/../e2e_lib.sh"
com4=$WINEPREFIX/dosdevices/com4
export WINEDEBUG=${WINEDEBUG:--all}

programs=()
xvfb=""
# restart_wineserver: ends every program of the prefix, its desktop among them, and starts the
# persistent wineserver again. The desktop draws on the display there was when it started.
restart_wineserver() {
  wineserver -k 2>/dev/null
  wineserver -w
  wineserver -p >/dev/null 2>&1
}
end_programs() {
  for pid in "${programs[@]}"; do kill "$pid" 2>/dev/null; done
  restart_wineserver
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
  cleanup
}
trap end_programs EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [[ -s $scratch/display ]] && break
  sleep 0.05
done
export DISPLAY=:$(cat "$scratch/display")
restart_wineserver
# Without a window manager, Wine draws the windows' frames itself only for unmanaged windows.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# now_ms: the time in milliseconds.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_until MS COMMAND...: true as soon as the command succeeds, false once MS have passed.
wait_until() {
  local deadline=$(($(now_ms) + $1))
  shift
  until "$@"; do
    (($(now_ms) > deadline)) && return 1
    sleep 0.05
  done
}

# focused NAME: the window titled NAME has the keyboard.
focused() {
  local focus
  focus=$(xdotool getwindowfocus 2>/dev/null)
  [[ -n $focus && $(xdotool getwindowname "$focus" 2>/dev/null) == "$1" ]]
}
gone() { [[ -z $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) ]]; }
# press NAME KEY...: once the window titled NAME has the keyboard, the keys, typed as on a
# keyboard (XTEST). Keys sent to a window with XSendEvent are now and then lost by Wine.
press() {
  wait_until 5000 focused "$1" || return 1
  shift
  xdotool key --delay 0 "$@" 2>/dev/null
}
# two_shown NAME: two windows titled NAME are shown (a dialog and the box it asks with).
two_shown() { (($(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l) == 2)); }
# type_text NAME TEXT: once the window titled NAME has the keyboard, the text, typed.
type_text() {
  wait_until 5000 focused "$1" || return 1
  xdotool type --delay 20 "$2" 2>/dev/null
}
# clipboard_is FILE: the clipboard's text is the file's, byte for byte.
clipboard_is() {
  wine "$clipboard_text" >"$scratch/clipboard" 2>/dev/null && cmp -s "$1" "$scratch/clipboard"
}
running() { kill -0 "$korvanta" 2>/dev/null; }
ended() { ! running; }
clock_frames() { grep -c 'clock set' "$scratch/$sim.sim"; }
clock_frame_sent() { (($(clock_frames) > 0)); }

# start_wand NAME [wandsim options]: a simulated wand on COM4; its messages go to $scratch/NAME.sim.
start_wand() {
  sim=$1
  shift
  "$WANDSIM" --link "$com4" "$@" >/dev/null 2>"$scratch/$sim.sim" &
  sims+=($!)
  wait_until 5000 test -L "$com4"
}

# start_korvanta: the program, up to its window having the keyboard; the time it took is
# $elapsed_ms.
start_korvanta() {
  local start
  # One window at a time: a program a failed case left behind goes.
  [[ -n ${korvanta:-} ]] && kill "$korvanta" 2>/dev/null
  start=$(now_ms)
  wine "$exe" >>"$scratch/korvanta.out" 2>>"$scratch/korvanta.err" &
  korvanta=$!
  programs+=("$korvanta")
  wait_until 20000 focused '测试Demo' || return 1
  elapsed_ms=$(($(now_ms) - start))
}

# close_and_time_the_end [KEY...]: presses the keys (Escape by default) and measures how long
# the program took to end ($elapsed_ms).
close_and_time_the_end() {
  local start
  (($# > 0)) || set -- Escape
  start=$(now_ms)
  press 测试Demo "$@"
  wait_until 10000 ended
  elapsed_ms=$(($(now_ms) - start))
  echo "$name: the program ended ${elapsed_ms} ms after $*"
}

name=download
# A wand number a spreadsheet would read as a number, 120000.
start_wand download --records 300 --seed 7 --wand 12E4
check "the window opens, titled 测试Demo" start_korvanta
press 测试Demo Return
check "Enter downloads to the clock frame" wait_until 15000 clock_frame_sent
sleep 1
check "the program stays up after the download" running
if [[ -n ${KORVANTA_SCREENSHOT:-} ]]; then
  import -window root "$KORVANTA_SCREENSHOT"
fi

# What the Linux collector makes of the same wand, as the clipboard and a CSV file hold it.
mkdir -p "$scratch/ports"
ln -s "$(readlink "$com4")" "$scratch/ports/COM4"
KORVANTA_PORTS=$scratch/ports "$wandread" COM4 | sed 's/$/\r/' >"$scratch/expected.txt"
{
  printf '\xEF\xBB\xBF'
  KORVANTA_PORTS=$scratch/ports "$wandread" --csv COM4
} >"$scratch/expected.csv"
KORVANTA_PORTS=$scratch/ports "$wandread" --xlsx "$scratch/expected.xlsx" COM4
# same_workbook A B: the two workbooks' parts are the same, but for the time the log was read.
same_workbook() {
  python3 - "$1" "$2" <<'PYTHON'
import sys, zipfile
a, b = (zipfile.ZipFile(f) for f in sys.argv[1:3])
names = a.namelist()
sys.exit(names != b.namelist() or
         any(a.read(n) != b.read(n) for n in names if n != "docProps/core.xml"))
PYTHON
}
# html_flavour_marks_text: the clipboard's HTML Format has the wand number as a text cell, and its
# StartFragment offset leads to the table.
html_flavour_marks_text() {
  wine "$clipboard_text" --html >"$scratch/clipboard.html" 2>/dev/null || return 1
  local start
  start=$(grep -a -m1 '^StartFragment:' "$scratch/clipboard.html" | tr -dc 0-9)
  [[ $(tail -c +$((10#$start + 1)) "$scratch/clipboard.html" | head -c 7) == '<table>' ]] &&
    grep -aqF "sdnum=\"1033;0;@\">12E4</td>" "$scratch/clipboard.html"
}

# The records list has had the keyboard since the download began.
name=copy
press 测试Demo ctrl+a ctrl+c
check "Ctrl+A, Ctrl+C copy every row as the collector writes them, CR LF" \
  wait_until 5000 clipboard_is "$scratch/expected.txt"
check "and as HTML with the wand number as text" html_flavour_marks_text

# The export replaces a file that is there, once the user has said so.
name=export
export_title=导出
echo "an older file" >"$scratch/export.csv"
press 测试Demo shift+F10
sleep 0.5
press 测试Demo e
check "the list's menu's last entry opens the save dialog" wait_until 5000 focused "$export_title"
press "$export_title" End shift+Home BackSpace
type_text "$export_title" "$(winepath -w "$scratch/export.csv")"
press "$export_title" Return
check "the dialog asks before replacing the file" \
  wait_until 5000 two_shown "$export_title"
press "$export_title" Return
check "the save dialog closes" wait_until 5000 gone "$export_title"
check "the export is the collector's CSV with a byte order mark" \
  wait_until 5000 cmp -s "$scratch/expected.csv" "$scratch/export.csv"
check "nothing else is left beside the export" \
  test "$(find "$scratch" -maxdepth 1 -name 'export.csv*' | wc -l)" -eq 1

# The workbook, the dialog's first type, to a new file.
name=workbook
press 测试Demo shift+F10
sleep 0.5
press 测试Demo e
press "$export_title" End shift+Home BackSpace
type_text "$export_title" "$(winepath -w "$scratch/export.xlsx")"
press "$export_title" Return
check "the save dialog closes" wait_until 5000 gone "$export_title"
check "the workbook is the collector's --xlsx" wait_until 5000 same_workbook "$scratch/expected.xlsx" "$scratch/export.xlsx"
check "no temporary file is left" test "$(find "$scratch" -maxdepth 1 -name '*.tmp' | wc -l)" -eq 0

name=about
# Up from the menu's first entry wraps round to its last (its mnemonic A is Wine's About's too).
press 测试Demo alt+space
sleep 0.5
press 测试Demo Up Return
check "the window menu's last entry opens the About box" press '关于 Korvanta' Return
check "确定 closes the About box" wait_until 5000 gone '关于 Korvanta'
close_and_time_the_end
check "Escape ends the program" ended

name=port-missing
ln -sfn "$scratch/no-such-device" "$com4"
start_korvanta
press 测试Demo Return
check "a port that cannot be opened gets a box captioned Korvanta" press Korvanta Return
check "OK closes the box" wait_until 5000 gone Korvanta
check "the window stays" running
close_and_time_the_end
check "Escape after the box ends the program" ended

name=escape-during-download
start_wand escape --records 3000 --paced
start_korvanta
press 测试Demo Return
sleep 1
press 测试Demo ctrl+a ctrl+c
sleep 0.5
check "Ctrl+A, Ctrl+C during a download leave the clipboard as it was" clipboard_is "$scratch/expected.txt"
close_and_time_the_end
check "Escape during a download ends the program within a second" test "$elapsed_ms" -lt 1000
check "no clock frame after Escape" test "$(clock_frames)" -eq 0

# Alt+F4 is the window menu's Close, as the close box is.
name=close-during-download
start_wand close --records 3000 --paced
start_korvanta
press 测试Demo Return
sleep 1.5
close_and_time_the_end alt+F4
check "Alt+F4 during a download ends the program within a second" test "$elapsed_ms" -lt 1000
check "no clock frame after Alt+F4" test "$(clock_frames)" -eq 0

name=escape-then-enter
start_wand race --records 3000 --delay 5
start_korvanta
press 测试Demo Return
sleep 1.5
close_and_time_the_end Escape Return Return Return
check "Escape, then Enter at once, ends the program within a second" test "$elapsed_ms" -lt 1000
check "no clock frame after Escape and Enter" test "$(clock_frames)" -eq 0

# A port numbered above 8 that the system lists only once the window is open: opening the list
# detects it, right after COM1 to COM8 (Home, then Down eight times), and it downloads.
name=port-above-8
serialcomm='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
com12=$WINEPREFIX/dosdevices/com12
wine reg delete "$serialcomm" /v 'Korvanta COM12' /f >/dev/null 2>&1
sim=com12
"$WANDSIM" --link "$com12" --records 40 >/dev/null 2>"$scratch/$sim.sim" &
sims+=($!)
wait_until 5000 test -L "$com12"
start_korvanta
wine reg add "$serialcomm" /v 'Korvanta COM12' /d COM12 /f >/dev/null 2>&1
press 测试Demo Tab alt+Down
sleep 0.5
press 测试Demo Home Down Down Down Down Down Down Down Down Return
sleep 0.5
press 测试Demo Return
check "COM12, new when the list opens, is its ninth entry and downloads" \
  wait_until 15000 clock_frame_sent
close_and_time_the_end
check "Escape after a download from COM12 ends the program" ended

summary
