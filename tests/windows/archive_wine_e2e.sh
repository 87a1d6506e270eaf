#!/usr/bin/env bash
# wandread.exe's archive under Wine, through the prefix's stand-in winsqlite3.dll: a download
# archived into a real SQLite file, its history as the Linux collector prints it from the same
# file, and, with the DLL hidden as on a Windows without it, the download as before and the
# archive off, said once.
# Usage: archive_wine_e2e.sh WINE WANDREAD_EXE WANDSIM LINUX_WANDREAD
# Runs in the prefix of WINEPREFIX, as scripts/windows/test.sh sets it up.
wine=$1
wandread=$2
WANDSIM=$3
linux_wandread=$4
: "${WINEPREFIX:?no Wine prefix: run scripts/windows/test.sh}"
source "$(dirname "$0")/../e2e_lib.sh"

archive=$scratch/archive.sqlite
windows_archive="Z:${archive//\//\\}"
start_sim archived --records 60 --seed 7 --wand 0BEE
ln -sfn "$(readlink "$KORVANTA_PORTS/COM4")" "$WINEPREFIX/dosdevices/com4"
collect linux "$linux_wandread" --no-archive COM4

collect archived "$wine" "$wandread" --archive "$windows_archive" COM4
check "archived: exit 0, no message" test "$status" -eq 0 -a -z "$err"
check "archived: the Linux collector's table" cmp "$scratch/linux.out" "$scratch/archived.out"
check "archived: a SQLite file with the download" test \
  "$(sqlite3 "$archive" "SELECT count(*) FROM readings; SELECT wand, port FROM downloads")" = \
  $'60\n0BEE|COM4'

collect windows_history "$wine" "$wandread" history --archive "$windows_archive"
collect linux_history "$linux_wandread" history --archive "$archive"
check "history: every reading" test "$(wc -l <"$scratch/windows_history.out")" -eq 61
check "history: what the Linux collector prints from the same file" \
  cmp "$scratch/linux_history.out" "$scratch/windows_history.out"

collect missing env WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winsqlite3=d" \
  KORVANTA_ARCHIVE="$windows_archive" "$wine" "$wandread" COM4
check "without winsqlite3.dll: exit 0, the table as before" \
  bash -c '(($1 == 0)) && cmp "$2" "$3"' _ "$status" "$scratch/linux.out" "$scratch/missing.out"
check "without winsqlite3.dll: said once" \
  test "$(grep -c winsqlite3.dll "$scratch/missing.err")" -eq 1 -a "$(wc -l <"$scratch/missing.err")" -eq 1
check "without winsqlite3.dll: nothing archived" \
  test "$(sqlite3 "$archive" "SELECT count(*) FROM downloads")" = 1

summary
