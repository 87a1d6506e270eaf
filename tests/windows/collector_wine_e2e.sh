#!/usr/bin/env bash
# wandread.exe under Wine against the Linux simulated wand on COM4 of the Wine prefix: output,
# exit status and cost of each ending. A complete download's output must be byte for byte the
# Linux collector's on the same wand, also when another program has left the port with hostile
# line settings (HOSTILE_PORT_EXE). "short" runs only a complete download.
# Usage: collector_wine_e2e.sh full|short WINE WANDREAD_EXE WANDSIM LINUX_WANDREAD [HOSTILE_PORT_EXE]
# Runs in the prefix of WINEPREFIX, as scripts/windows/test.sh sets it up.
mode=$1
wine=$2
wandread=$3
WANDSIM=$4
linux_wandread=$5
hostile_port=${6:-}
: "${WINEPREFIX:?no Wine prefix: run scripts/windows/test.sh}"
source "$(dirname "$0")/../e2e_lib.sh"
dosdevices=$WINEPREFIX/dosdevices

# wine_sim NAME [wandsim options]: the only simulated wand, on COM4 for Windows programs and on
# COM4 of the ports folder $scratch/NAME for the Linux collector.
wine_sim() {
  local sim=$1
  shift
  stop_sims
  start_sim "$sim" "$@" || return 1
  ln -sfn "$(readlink "$KORVANTA_PORTS/COM4")" "$dosdevices/com4"
}

# Runs wandread.exe with the arguments, keeping its outcome and its CPU time in $cpu_seconds.
# time -o keeps its report out of the program's stderr; the figures are the report's last line.
collect_exe() {
  local what=$1
  shift
  collect "$what" /usr/bin/time -f '%U %S' -o "$scratch/$what.cpu" "$wine" "$wandread" "$@"
  cpu_seconds=$(awk 'END { print $1 + $2 }' "$scratch/$what.cpu")
}

records=300
[[ $mode == short ]] && records=40
wine_sim complete --records "$records" --seed 7 --wand 0BEE
KORVANTA_PORTS=$scratch/complete collect linux "$linux_wandread" COM4
collect_exe complete COM4
check "complete: exit 0" test "$status" -eq 0
check "complete: no message" test ! -s "$scratch/complete.err"
check "complete: all rows" test "$(wc -l <"$scratch/complete.out")" -eq $((records + 1))
check "complete: byte for byte the Linux collector's output" cmp "$scratch/linux.out" "$scratch/complete.out"
sleep 0.2
check "complete: the wand's clock was set by both" test "$(grep -c "clock set to" "$scratch/complete.sim")" -eq 2
if [[ $mode == short ]]; then
  summary
  exit
fi

KORVANTA_PORTS=$scratch/complete collect linux-csv "$linux_wandread" --csv COM4
collect_exe csv --csv COM4
check "csv: exit 0" test "$status" -eq 0
check "csv: byte for byte the Linux collector's CSV, CRLF and all" cmp "$scratch/linux-csv.out" "$scratch/csv.out"

# A trace: appended to a file; refused at once on a device, with the download going on.
collect_exe traced --trace 'C:\trace.txt' COM4
check "trace: the same log" cmp "$scratch/complete.out" "$scratch/traced.out"
check "trace: the ending" grep -q "ending: complete, $records records" "$WINEPREFIX/drive_c/trace.txt"
collect_exe trace-device --trace NUL COM4
check "trace on a device: the same log" cmp "$scratch/complete.out" "$scratch/trace-device.out"
check "trace on a device: said" grep -qx "跟踪文件写入失败" "$scratch/trace-device.err"

# A port numbered above 8 that the system lists: --list shows it, and its name downloads.
"$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v 'Korvanta COM12' /d COM12 /f >/dev/null 2>&1
ln -sfn "$(readlink "$dosdevices/com4")" "$dosdevices/com12"
collect_exe list --list
check "--list: exit 0" test "$status" -eq 0
check "--list: COM12 and its device" grep -qE '^COM12 +\\\\\.\\COM12( |$)' "$scratch/list.out"
collect_exe com12 COM12
check "COM12: byte for byte the Linux collector's output" cmp "$scratch/linux.out" "$scratch/com12.out"

if [[ -n $hostile_port ]]; then
  check "hostile: another program leaves the port with hostile settings" \
    "$wine" "$hostile_port" COM4
  collect_exe hostile COM4
  check "hostile: exit 0" test "$status" -eq 0
  check "hostile: byte for byte the Linux collector's output" cmp "$scratch/linux.out" "$scratch/hostile.out"
fi

wine_sim empty --records 0
collect_exe empty COM4
check "empty: exit 0" test "$status" -eq 0
check "empty: the heading line alone" cmp <(printf '序号\t棒号\t日期\t钮号\n') "$scratch/empty.out"
check "empty: message" test "$err" = "读取完成,没有记录"

wine_sim silent --silent
collect_exe silent COM4
check "silent: exit 1" test "$status" -eq 1
check "silent: nothing on stdout" test ! -s "$scratch/silent.out"
check "silent: message" test "$err" = "读取数据失败"
check "silent: waited out the deadline (${elapsed_ms} ms)" test "$elapsed_ms" -ge 2900
check "silent: little CPU while waiting (${cpu_seconds} s)" awk -v s="$cpu_seconds" 'BEGIN { exit !(s < 0.5) }'
echo "silent wand: failed after ${elapsed_ms} ms, with ${cpu_seconds} s of CPU"

wine_sim short --records 10 --short-at 3
collect_exe short COM4
check "short reply: exit 1" test "$status" -eq 1
check "short reply: nothing on stdout" test ! -s "$scratch/short.out"
check "short reply: message" test "$err" = "读取数据失败"
check "short reply: clock not set" bash -c '! grep -q "clock set" "$1"' _ "$scratch/short.sim"

wine_sim unplugged --records 10 --hangup-after 4
collect_exe unplugged COM4
check "unplugged: exit 1" test "$status" -eq 1
check "unplugged: message" test "$err" = "读取数据失败"
check "unplugged: no deadline waited out (${elapsed_ms} ms)" test "$elapsed_ms" -lt 2500

# Wine turns SIGINT into the console's Ctrl+C.
wine_sim interrupted --records 10 --delay 1500
"$wine" "$wandread" COM4 >"$scratch/interrupted.out" 2>"$scratch/interrupted.err" &
reader=$!
sleep 1.5
start=$(date +%s%N)
kill -INT "$reader"
wait "$reader"
status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
err=$(cat "$scratch/interrupted.err")
check "Ctrl+C: exit 130" test "$status" -eq 130
check "Ctrl+C: at once (${elapsed_ms} ms)" test "$elapsed_ms" -lt 500
check "Ctrl+C: no message, nothing on stdout" test -z "$err$(cat "$scratch/interrupted.out")"
collect_exe after-interrupt COM4
check "Ctrl+C: the next download completes" test "$status" -eq 0

# Ports that lead to no serial port: the port-open failure, at once.
ln -sfn /dev/null "$dosdevices/com5"
ln -sfn "$scratch/unplugged-adapter" "$dosdevices/com6"
rm -f "$dosdevices/com7"
for port in COM5 COM6 COM7; do
  collect_exe "$port" "$port"
  check "$port: exit 2" test "$status" -eq 2
  check "$port: message" grep -qx "串口設置不存在或被占用!" "$scratch/$port.err"
  check "$port: nothing on stdout" test ! -s "$scratch/$port.out"
  check "$port: quickly (${elapsed_ms} ms)" test "$elapsed_ms" -lt 1500
done

for usage in "" "COM9" "/dev/ttyS3" "--bogus COM4" "COM1 COM2"; do
  # shellcheck disable=SC2086
  collect_exe usage $usage
  check "usage '$usage': exit 64" test "$status" -eq 64
  check "usage '$usage': says how" grep -q "usage: wandread" "$scratch/usage.err"
done
collect_exe help --help
check "--help: exit 0 naming the Windows ports" \
  bash -c '[[ $0 == 0 ]] && grep -qF "COM1 to COM8, or a device name such as \\\\.\\COM12" "$1"' \
  "$status" "$scratch/help.out"

summary
