# Shared by the window's tests under Wine: a display of their own (Xvfb) that the prefix's
# desktop draws on, keys typed as on a keyboard, simulated wands on the prefix's COM4 and the
# program started and timed. Source it after e2e_lib.sh, with exe (Korvanta.exe), WANDSIM and
# WINEPREFIX set; then call start_display.
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

# start_display: Xvfb, the prefix's desktop on it, and the programs ended at exit. The display
# is not reset when its last client goes, as it would between the probes of the window.
start_display() {
  trap end_programs EXIT
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s $scratch/display ]] && break
    sleep 0.05
  done
  export DISPLAY=:$(cat "$scratch/display")
  restart_wineserver
  # Without a window manager, Wine draws the windows' frames itself only for unmanaged windows.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
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
# menu_shown: a menu of the program is up (Wine shows it as an unnamed window of its class).
menu_shown() {
  local window
  for window in $(xdotool search --onlyvisible --classname korvanta.exe 2>/dev/null); do
    [[ -z $(xdotool getwindowname "$window" 2>/dev/null) ]] && return 0
  done
  return 1
}
# open_window_menu: Alt+Space until the window menu is up; the menu's first opening may take a
# while, and a key typed while the program is busy is now and then lost.
open_window_menu() {
  local attempt
  for attempt in 1 2 3; do
    press 测试Demo alt+space || return 1
    wait_until 3000 menu_shown && return 0
  done
  return 1
}
running() { kill -0 "$korvanta" 2>/dev/null; }
ended() { ! running; }
clock_frames() { grep -c 'clock set' "$scratch/$sim.sim"; }
clock_frame_sent() { (($(clock_frames) > 0)); }

# start_wand NAME [wandsim options]: a simulated wand on COM4; its messages go to $scratch/NAME.sim.
start_wand() {
  sim=$1
  shift
  spawn "$WANDSIM" --link "$com4" "$@" >/dev/null 2>"$scratch/$sim.sim"
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

