#!/usr/bin/env bash
# wandread against misbehaving wands and ports that are no ports: the right message and exit
# status, quickly, and (under valgrind) no memory errors or leaks.
# Usage: fault_e2e.sh WANDSIM WANDREAD
WANDSIM=$1
wandread=$2
source "$(dirname "$0")/e2e_lib.sh"

# The download's failure message, and nothing on stdout.
check_failed() {
  check "$1: exit 1" test "$status" -eq 1
  check "$1: message" grep -qx "读取数据失败" "$scratch/$1.err"
  check "$1: nothing on stdout" test ! -s "$scratch/$1.out"
}

start_sim late --records 5 --delay 2500
collect late "$wandread" COM4
check_failed late

start_sim eight --records 5 --short-at 1
collect eight "$wandread" COM4
check_failed eight

start_sim garbage-probe --records 20 --probe-length 5000
collect garbage-probe "$wandread" COM4
check "garbage probe answer: complete" test "$status" -eq 0
check "garbage probe answer: all rows" test "$(wc -l <"$scratch/garbage-probe.out")" -eq 21

start_sim flood --flood
collect flood timeout 60 "$wandread" COM4
check "flood: ends by itself without crashing" test "$status" -le 1
check "flood: rows are well-formed" bash -c '! tail -n +2 "$1" |
  grep -Pv "^\d+\t[0-9A-F]{4}\t\d+-\d\d-\d\d \d\d:\d\d\t[0-9A-F]{8}$"' _ "$scratch/flood.out"

# Traces that cannot be written: the download goes on, and the trouble is said once.
mkfifo "$scratch/no-reader"
start_sim trace-faults --records 20
collect fifo-trace timeout 30 "$wandread" --trace "$scratch/no-reader" COM4
check "trace to a pipe without a reader: complete" test "$status" -eq 0
check "trace to a pipe without a reader: all rows" test "$(wc -l <"$scratch/fifo-trace.out")" -eq 21
check "trace to a pipe without a reader: said" grep -qx "跟踪文件写入失败" "$scratch/fifo-trace.err"
KORVANTA_TRACE=/dev/full collect full-trace timeout 30 "$wandread" COM4
check "trace to /dev/full: complete" test "$status" -eq 0
check "trace to /dev/full: said once" test "$(grep -c "cannot write the trace" "$scratch/full-trace.err")" -eq 1
check "trace to /dev/full: in the message" grep -qx "跟踪文件写入失败" "$scratch/full-trace.err"

# A trace reader that stops reading: the pipe fills within a second, and a request to end still
# ends the download at once. The wand answers each record a millisecond late, so the download
# is still running when the request comes, however fast this machine reads a pty.
mkfifo "$scratch/stalled-trace"
sleep 300 <>"$scratch/stalled-trace" &
reader=$!
start_sim stalled --records 60000 --delay 1
"$wandread" --trace "$scratch/stalled-trace" COM4 >"$scratch/stalled.out" 2>"$scratch/stalled.err" &
download=$!
sleep 3
kill -TERM "$download"
for _ in $(seq 50); do
  kill -0 "$download" 2>/dev/null || break
  sleep 0.1
done
check "stalled trace reader: SIGTERM ends the download" bash -c '! kill -0 "$1" 2>/dev/null' _ "$download"
kill "$download" "$reader" 2>/dev/null
wait "$download"
status=$?
check "stalled trace reader: cancelled" test "$status" -eq 130

# Port entries that lead to no serial port: the port-open failure, at once.
ports=$scratch/not-ports
mkdir -p "$ports"
chmod 755 "$ports"
echo "not a port" >"$scratch/plain-file"
ln -s /dev/null "$ports/COM1"
ln -s "$scratch/plain-file" "$ports/COM2"
ln -s "$scratch/unplugged" "$ports/COM3"
for port in COM1 COM2 COM3; do
  KORVANTA_PORTS=$ports collect "$port" "$wandread" "$port"
  check "$port: exit 2" test "$status" -eq 2
  check "$port: message" grep -qx "串口設置不存在或被占用!" "$scratch/$port.err"
  check "$port: quickly" test "$elapsed_ms" -lt 1000
done

# A device this user may not open: the simulated wand's pty, for an unprivileged user.
if [[ $EUID == 0 ]] && command -v setpriv >/dev/null; then
  start_sim forbidden --records 5
  cp "$wandread" "$scratch/wandread" && chmod 755 "$scratch/wandread"
  collect forbidden setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env KORVANTA_PORTS="$scratch/forbidden" "$scratch/wandread" COM4
  check "not permitted: exit 2" test "$status" -eq 2
  check "not permitted: message" grep -qx "串口設置不存在或被占用!" "$scratch/forbidden.err"
  check "not permitted: the reason names the dialout group" grep -q dialout "$scratch/forbidden.err"
  check "not permitted: quickly" test "$elapsed_ms" -lt 1000
else
  echo "skipped: the not-permitted device needs root to switch to an unprivileged user"
fi

# No memory errors and no leaks on a complete and on a failed download.
# ldd's whole output first: under pipefail, grep -q ending early would fail the pipe.
if command -v valgrind >/dev/null && ! grep -q -E 'libasan|libtsan' <<<"$(ldd "$wandread")"; then
  memcheck=(valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=all
    --errors-for-leak-kinds=all)
  start_sim valgrind-complete --records 200
  collect valgrind-complete "${memcheck[@]}" "$wandread" COM4
  check "valgrind, complete download: clean" test "$status" -eq 0
  check "valgrind, complete download: all rows" test "$(wc -l <"$scratch/valgrind-complete.out")" -eq 201
  start_sim valgrind-failed --records 50 --stop-after 10
  collect valgrind-failed "${memcheck[@]}" "$wandread" COM4
  check "valgrind, failed download: clean" test "$status" -eq 1
else
  echo "skipped: valgrind (not installed, or the collector is built with a sanitizer)"
fi

summary
