#!/usr/bin/env bash
# The window at larger display scales, in a Wine prefix of its own whose desktop is set to
# 144 dpi (150 %) and then 192 dpi (200 %) (HKCU\Control Panel\Desktop LogPixels): after a
# download, the records list holds the log and every heading and cell fits its column, as
# column_fit.exe measures them.
# Usage: window_scale_e2e.sh KORVANTA_EXE WANDSIM WANDREAD COLUMN_FIT_EXE
# With KORVANTA_SCALED_SCREENSHOT set, the window at 150 % after the download is saved there.
set -uo pipefail
exe=$1
WANDSIM=$2
wandread=$3
column_fit=$4
here=$(dirname "$0")
source "$here/../e2e_lib.sh"
source "$here/../../scripts/windows/wine-prefix.sh"
wine_prefix_start
source "$here/window_lib.sh"
start_display
trap 'end_programs; wine_prefix_stop' EXIT

mkdir -p "$scratch/ports"
for dpi in 144 192; do
  name=$dpi-dpi
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # The desktop takes its scale when it starts.
  restart_wineserver
  start_wand "scale$dpi" --records 300 --seed 11 --wand FFFF
  start_korvanta
  press 测试Demo Return
  check "Enter downloads to the clock frame" wait_until 15000 clock_frame_sent
  sleep 1
  ln -sfn "$(readlink "$com4")" "$scratch/ports/COM4"
  KORVANTA_PORTS=$scratch/ports "$wandread" COM4 >"$scratch/log$dpi.txt"
  check "every heading and cell fits its column" wine "$column_fit" "$(winepath -w "$scratch/log$dpi.txt")"
  if [[ $dpi == 144 && -n ${KORVANTA_SCALED_SCREENSHOT:-} ]]; then
    import -window root "$KORVANTA_SCALED_SCREENSHOT"
  fi
  close_and_time_the_end
  check "Escape ends the program" ended
done

summary
