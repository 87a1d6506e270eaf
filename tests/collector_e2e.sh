#!/usr/bin/env bash
# wandread against wandsim over a pseudo-terminal: output and exit status of each ending.
# Usage: collector_e2e.sh WANDSIM WANDREAD
WANDSIM=$1
wandread=$2
source "$(dirname "$0")/e2e_lib.sh"

header=$'序号\t棒号\t日期\t钮号'

start_sim complete --records 40 --wand 0BEE
collect complete "$wandread" COM4
check "complete: exit 0" test "$status" -eq 0
check "complete: header and 40 rows" test "$(wc -l <"$scratch/complete.out")" -eq 41
check "complete: header" test "$(head -1 <<<"$out")" = "$header"
check "complete: rows are well-formed" bash -c '! tail -n +2 "$1" |
  grep -Pv "^\d+\t0BEE\t20\d\d-[01]\d-[0-3]\d [0-2]\d:[0-5]\d\t[0-9A-F]{8}$"' _ "$scratch/complete.out"
check "complete: rows numbered from 1" diff <(tail -n +2 "$scratch/complete.out" | cut -f1) <(seq 40)
check "complete: no message" test -z "$err"
sleep 0.2
check "complete: the wand's clock was set" grep -q "clock set to" "$scratch/complete.sim"

collect traced "$wandread" --trace "$scratch/trace.txt" COM4
check "traced: the same log" diff "$scratch/traced.out" "$scratch/complete.out"
check "traced: the trace ends with the ending" grep -q "ending: complete, 40 records" "$scratch/trace.txt"

collect csv "$wandread" --csv COM4
check "csv: exit 0" test "$status" -eq 0
check "csv: header" test "$(head -1 "$scratch/csv.out")" = $'序号,棒号,日期,钮号\r'
check "csv: same rows as tabs" diff <(tr -d '\r' <"$scratch/csv.out" | tr ',' '\t') "$scratch/complete.out"

collect xlsx "$wandread" --xlsx "$scratch/log.xlsx" COM4
check "xlsx: exit 0, nothing printed" test "$status" -eq 0 -a -z "$out$err"
check "xlsx: a workbook" test "$(head -c 2 "$scratch/log.xlsx")" = PK
mkdir -p "$scratch/folder.xlsx/inside"
collect xlsx-fails "$wandread" --xlsx "$scratch/folder.xlsx" COM4
check "xlsx over a folder: exit 1" test "$status" -eq 1
check "xlsx over a folder: message and reason" test "$(head -1 <<<"$err")" = 导出失败 -a "$(wc -l <<<"$err")" -eq 2
sleep 0.2
reads=$(grep -c "clock set to" "$scratch/complete.sim")
collect xlsx-no-folder "$wandread" --xlsx "$scratch/no/such/folder/log.xlsx" COM4
check "xlsx into a missing folder: exit 1, message and reason" test "$status" -eq 1 -a \
  "$(head -1 <<<"$err")" = 导出失败 -a "$(wc -l <<<"$err")" -eq 2
sleep 0.2
check "xlsx into a missing folder: the wand not read" \
  test "$(grep -c "clock set to" "$scratch/complete.sim")" -eq "$reads"
"$wandread" --xlsx - COM4 2>/dev/null | cat >"$scratch/piped.xlsx"
check "xlsx to stdout, a pipe: the same workbook" cmp "$scratch/piped.xlsx" "$scratch/log.xlsx"
collect csv-dash "$wandread" --csv - COM4
check "csv to -: the same as --csv" cmp "$scratch/csv-dash.out" "$scratch/csv.out"
# A workbook that fails after the download (past a file size limit): the log printed instead.
(
  trap '' XFSZ
  ulimit -f 1
  "$wandread" --xlsx "$scratch/late.xlsx" COM4 2>"$scratch/late.err"
) | cat >"$scratch/late.out"
status=${PIPESTATUS[0]} err=$(cat "$scratch/late.err")
check "xlsx failing late: exit 1, message and reason" test "$status" -eq 1 -a \
  "$(head -1 <<<"$err")" = 导出失败
check "xlsx failing late: the log on stdout instead" cmp "$scratch/late.out" "$scratch/complete.out"
check "xlsx failing late: no file" test ! -e "$scratch/late.xlsx"

SIM_CLOCK="@2026-06-10 12:00:00" start_sim old --records 3
collect old at_time "@2027-02-10 12:00:00" "$wandread" COM4
check "eight months old: dated last year" bash -c '[[ $(tail -n +2 "$1" | cut -f3 | cut -c1-8 |
  sort -u) == 2026-06- ]]' _ "$scratch/old.out"

start_sim empty --records 0
collect empty "$wandread" COM4
check "empty: exit 0" test "$status" -eq 0
check "empty: header alone" test "$out" = "$header"
check "empty: message" test "$err" = "读取完成,没有记录"

start_sim silent --silent
collect silent "$wandread" COM4
check "silent: exit 1" test "$status" -eq 1
check "silent: nothing on stdout" test ! -s "$scratch/silent.out"
check "silent: message" test "$err" = "读取数据失败"

start_sim stops --records 10 --stop-after 3
collect stops "$wandread" COM4
check "stops answering: exit 1" test "$status" -eq 1
check "stops answering: nothing on stdout" test ! -s "$scratch/stops.out"
check "stops answering: message" test "$err" = "读取数据失败"
check "stops answering: clock not set" bash -c '! grep -q "clock set" "$1"' _ "$scratch/stops.sim"

start_sim unplugged --records 10 --hangup-after 4
collect unplugged "$wandread" COM4
check "unplugged: exit 1" test "$status" -eq 1
check "unplugged: message" test "$err" = "读取数据失败"
check "unplugged: no deadline waited out" test "$elapsed_ms" -lt 2500

start_sim held --records 3 --delay 700
"$wandread" COM4 >"$scratch/first.out" 2>"$scratch/first.err" &
first=$!
sleep 0.4
collect held "$wandread" COM4
check "held: exit 2" test "$status" -eq 2
check "held: message" bash -c 'grep -qx "串口設置不存在或被占用!" "$1"' _ "$scratch/held.err"
check "held: nothing on stdout" test ! -s "$scratch/held.out"
wait "$first"
status=$?
check "held: the first download completes" test "$status" -eq 0

for usage in "" "COM9" "--bogus COM4" "COM1 COM2" "COM4 --xlsx" "--csv --xlsx x.xlsx COM4" "COM4 --trace"; do
  # shellcheck disable=SC2086
  collect usage "$wandread" $usage
  check "usage '$usage': exit 64" test "$status" -eq 64
  check "usage '$usage': says how" grep -q "usage: wandread" "$scratch/usage.err"
done
# The ports found: an emulated FTDI adapter, then none at all.
if command -v umockdev-run >/dev/null; then
  mkdir -p "$scratch/no-entries"
  cat >"$scratch/adapter.umockdev" <<'END'
P: /devices/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0
N: ttyUSB0
E: SUBSYSTEM=tty
E: DEVNAME=/dev/ttyUSB0
E: ID_MODEL_FROM_DATABASE=FT232 Serial (UART) IC
A: dev=188:0

P: /devices/usb1/1-1/1-1:1.0/ttyUSB0
E: SUBSYSTEM=usb-serial

P: /devices/usb1/1-1/1-1:1.0
E: SUBSYSTEM=usb
E: DEVTYPE=usb_interface

P: /devices/usb1/1-1
E: SUBSYSTEM=usb
E: DEVTYPE=usb_device
A: idVendor=0403
A: idProduct=6001
A: serial=A1B2C3
END
  # umockdev's library goes ahead of a sanitizer's runtime, which is harmless here.
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
  KORVANTA_PORTS=$scratch/no-entries collect list umockdev-run -d "$scratch/adapter.umockdev" -- "$wandread" --list
  check "list: exit 0" test "$status" -eq 0
  check "list: heading and the adapter alone" test "$(wc -l <"$scratch/list.out")" -eq 2
  check "list: the adapter's names" grep -qP '^/dev/ttyUSB0 +/dev/ttyUSB0 +FT232 Serial \(UART\) IC +0403:6001 A1B2C3$' "$scratch/list.out"
  # An adapter whose product string would retitle and clear the terminal and whose serial
  # number would forge a row of its own.
  hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
  sed -e '/ID_MODEL_FROM_DATABASE/d' -e '/^A: serial=/d' "$scratch/adapter.umockdev" >"$scratch/hostile.umockdev"
  cat >>"$scratch/hostile.umockdev" <<END
H: product=$(hex $'\e]0;owned\a\e[2JEvil Adapter')
H: serial=$(hex $'A1\r\n/dev/ttyUSB9  /dev/ttyUSB9  Forged')
END
  KORVANTA_PORTS=$scratch/no-entries collect list-hostile umockdev-run -d "$scratch/hostile.umockdev" -- "$wandread" --list
  check "hostile names: exit 0" test "$status" -eq 0
  check "hostile names: heading and one row" test "$(wc -l <"$scratch/list-hostile.out")" -eq 2
  check "hostile names: no control characters" bash -c '! LC_ALL=C grep -qP "[\x00-\x09\x0b-\x1f\x7f]" "$1"' _ "$scratch/list-hostile.out"
  check "hostile names: the printable rest" grep -q "Evil Adapter  *0403:6001 A1/dev/ttyUSB9" "$scratch/list-hostile.out"
  KORVANTA_PORTS=$scratch/no-entries collect list-none umockdev-run -- "$wandread" --list
  check "list, none: exit 0" test "$status" -eq 0
  check "list, none: nothing on stdout" test ! -s "$scratch/list-none.out"
  check "list, none: says so" grep -q "no serial ports found" "$scratch/list-none.err"
else
  echo "skipped: the port list needs umockdev-run"
fi

collect help "$wandread" --help
check "--help: exit 0 with usage" bash -c '[[ $0 == 0 ]] && grep -q "usage: wandread" "$1"' "$status" "$scratch/help.out"

summary
