#!/usr/bin/env bash
# The archive as wandread and concurrent writers use it: the year kept under a clock two years
# later, a failed download archiving nothing, the history, a file that is no archive moved
# aside, two writers at once, and writers killed at random moments.
# Usage: archive_e2e.sh WANDSIM WANDREAD ARCHIVE_WRITER
WANDSIM=$1
wandread=$2
writer=$3
source "$(dirname "$0")/e2e_lib.sh"

query() { sqlite3 "$1" "$2"; }
archive=$scratch/archive.sqlite

SIM_CLOCK="@2026-06-10 12:00:00" start_sim year --records 20 --wand 0BEE
collect first at_time "@2026-06-10 12:05:00" "$wandread" --archive "$archive" COM4
check "first: exit 0, no message" test "$status" -eq 0 -a -z "$err"
check "first: 20 readings archived" test "$(query "$archive" "SELECT count(*) FROM readings")" = 20
collect later at_time "@2028-06-10 12:05:00" "$wandread" --archive "$archive" COM4
check "two years later: the year the readings had" diff "$scratch/later.out" "$scratch/first.out"
check "two years later: nothing new, a second download" test \
  "$(query "$archive" "SELECT count(*) FROM readings; SELECT count(*) FROM downloads")" = $'20\n2'
collect unarchived at_time "@2028-06-10 12:05:00" "$wandread" --no-archive COM4
check "without the archive: today's rule dates them 2028" bash -c \
  '[[ $(tail -n +2 "$1" | cut -f3 | cut -c1-4 | sort -u) == 2028 ]]' _ "$scratch/unarchived.out"

collect history "$wandread" history --archive "$archive"
check "history: every reading, newest first" diff \
  <(tail -n +2 "$scratch/history.out" | cut -f2-4) \
  <(tail -n +2 "$scratch/first.out" | cut -f2- | sort -r -t$'\t' -k2,2)
collect day "$wandread" history --archive "$archive" --from 2026-06-10 --to 2026-06-10 --wand 0bee
check "history of the day" test "$(wc -l <"$scratch/day.out")" -eq 21
collect before "$wandread" history --archive "$archive" --to "2026-06-09 23:59"
check "history before the day: the heading alone" test "$(wc -l <"$scratch/before.out")" -eq 1
query "$archive" "CREATE TABLE IF NOT EXISTS guards (wand TEXT PRIMARY KEY, name TEXT NOT NULL);
  INSERT INTO guards VALUES ('0BEE', '张三')"
collect guard "$wandread" history --archive "$archive" --guard 张三 --xlsx "$scratch/guard.xlsx"
check "history of a guard: a workbook of every wand, no --wand needed" test "$status" -eq 0 -a -s "$scratch/guard.xlsx"
collect guard "$wandread" history --archive "$archive" --guard 张三
check "history of a guard: the name on every row" test \
  "$(tail -n +2 "$scratch/guard.out" | cut -f5 | sort | uniq -c | awk '{print $1, $2}')" = "20 张三"

start_sim stops --records 10 --stop-after 3
collect stops "$wandread" --archive "$scratch/failed.sqlite" COM4
check "failed download: exit 1" test "$status" -eq 1
check "failed download: nothing archived" test ! -e "$scratch/failed.sqlite"

start_sim damaged --records 5
head -c 4096 /dev/urandom >"$scratch/damaged.sqlite"
cp "$scratch/damaged.sqlite" "$scratch/damaged.copy"
collect damaged "$wandread" --archive "$scratch/damaged.sqlite" COM4
moved=$(find "$scratch" -name 'damaged-damaged-*.sqlite')
check "damaged: exit 0, the table printed" test "$status" -eq 0 -a "$(wc -l <"$scratch/damaged.out")" -eq 6
check "damaged: moved aside whole" cmp "$moved" "$scratch/damaged.copy"
check "damaged: the message names where" grep -qF "$moved" "$scratch/damaged.err"
check "damaged: a new archive holds the download" test \
  "$(query "$scratch/damaged.sqlite" "SELECT count(*) FROM readings")" = 5

# Two writers at once wait for each other; neither loses a download.
"$writer" "$scratch/shared.sqlite" 0A01 4 &
one=$!
"$writer" "$scratch/shared.sqlite" 0A02 4 &
two=$!
wait $one
first_status=$?
wait $two
status=$?
check "two writers: both done" test "$first_status" -eq 0 -a "$status" -eq 0
check "two writers: every download whole" test \
  "$(query "$scratch/shared.sqlite" "SELECT count(*), sum(count) FROM downloads;
     SELECT count(*) FROM readings")" = $'8|480008\n480008'

# Writers killed at random moments leave whole downloads only. One whole download first, timed,
# so that the kills fall within the archivings however fast this build runs.
killed=$scratch/killed.sqlite
started=$(date +%s%N)
"$writer" "$killed" 0C00 1
span_ms=$((($(date +%s%N) - started) / 1000000))
for round in $(seq 12); do
  "$writer" "$killed" "$(printf '0C%02d' "$round")" 3 &
  writer_pid=$!
  sleep "$(awk -v ms=$((RANDOM % (3 * span_ms + 1))) 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -9 "$writer_pid" 2>/dev/null
  wait "$writer_pid" 2>/dev/null
done
out=$(query "$killed" "PRAGMA integrity_check;
  SELECT count(*) > 0 FROM downloads;
  SELECT count(*) FROM downloads AS d
   WHERE d.count != (SELECT count(*) FROM readings AS r WHERE r.download_id = d.id);
  SELECT count(*) FROM readings WHERE download_id NOT IN (SELECT id FROM downloads);")
check "killed writers: the archive opens, whole downloads only" test "$out" = $'ok\n1\n0\n0'

summary
