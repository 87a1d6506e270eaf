#!/usr/bin/env bash
# The Windows window under Wine on a display of its own, driven by real keys: a download to the
# clock frame, its rows copied (Ctrl+A, Ctrl+C: the text and the HTML flavour) and exported
# through the list's menu to CSV and to a workbook, compared with the Linux collector's output on
# the same wand, a port that cannot be opened, the About box through the window menu, Escape or
# Alt+F4 during a download, also when Enter presses follow Escape at once, a port above COM8
# chosen from the list; a close and a press posted while the box of a failed download is up, and
# the window's private messages posted by another program.
# Usage: window_e2e.sh KORVANTA_EXE WANDSIM WANDREAD CLIPBOARD_TEXT_EXE POST_MESSAGE_EXE
# WINEPREFIX is a prepared prefix (fonts for 宋体, wineserver running); its COM4 is relinked
# here. With KORVANTA_SCREENSHOT set, the window after a download is saved there as a PNG.
set -uo pipefail
exe=$1
WANDSIM=$2
wandread=$3
clipboard_text=$4
post_message=$5
source "$(dirname "$0")/../e2e_lib.sh"
source "$(dirname "$0")/window_lib.sh"
# clipboard_is FILE: the clipboard's text is the file's, byte for byte.
clipboard_is() {
  wine "$clipboard_text" >"$scratch/clipboard" 2>/dev/null && cmp -s "$1" "$scratch/clipboard"
}
start_display

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
check "Alt+Space opens the window menu" open_window_menu
# The 64-bit program may take the second key before the first if they come at once.
press 测试Demo Up
sleep 0.3
press 测试Demo Return
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
spawn "$WANDSIM" --link "$com12" --records 40 >/dev/null 2>"$scratch/$sim.sim"
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

# The box of a failed download is up and the download waits for it: a close put off behind it
# starts nothing, not even the press that comes after it (the wand is gone, so a press would
# get a box of its own), and is carried out once the box is acknowledged.
name=close-behind-box
start_wand box --records 40 --hangup-after 5
start_korvanta
press 测试Demo Return
check "the failed download shows its box" wait_until 10000 focused Korvanta
wine "$post_message" 测试Demo 0x0010 0 0
wine "$post_message" 测试Demo 0x0111 1000 0
sleep 1
check "the close waits behind the box" running
check "the press behind the close opens no port" \
  test "$(xdotool search --onlyvisible --name '^Korvanta$' 2>/dev/null | wc -l)" -eq 1
start=$(now_ms)
press Korvanta Return
check "the close is carried out once the box is gone" wait_until 3000 ended
echo "$name: the program ended $(($(now_ms) - start)) ms after the box"

# Another program posts the window's private messages with made-up values: nothing happens,
# and the window downloads as before. Then, during a download, the tickets and timers a counter
# would give out (the first ones, in either parameter) and timer messages: none of them runs the
# download's work early or twice, so the download still ends with its clock frame and rows.
name=foreign-messages
start_wand foreign --records 300 --paced
start_korvanta
for message in 0x8001 0x8002 0x8003; do
  wine "$post_message" 测试Demo "$message" 1 0x12345678
done
sleep 1
check "made-up private messages do nothing" running
press 测试Demo Return
forgeries=()
for ticket in $(seq 16); do
  forgeries+=(0x8001 "$ticket" 0 0x8001 "$ticket" "$ticket" 0x8002 "$ticket" 0 0x0113 "$ticket" 0)
done
for _ in $(seq 40); do
  clock_frame_sent && break
  wine "$post_message" 测试Demo "${forgeries[@]}"
done
check "the window then downloads to the clock frame" wait_until 15000 clock_frame_sent
check "and stays up" running
close_and_time_the_end
check "Escape ends the program" ended

summary
