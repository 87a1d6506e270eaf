#!/usr/bin/env bash
# An export's temporary file reaches the disk before it replaces the target: strace shows the
# file's fsync (or fdatasync) ahead of its rename, for every file workbook_sample exports.
# Usage: export_flush_order.sh WORKBOOK_SAMPLE. Skipped (77) where strace cannot trace.
set -uo pipefail
sample=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! command -v strace >/dev/null || ! strace -o /dev/null true 2>/dev/null; then
  echo "strace cannot trace here" >&2
  exit 77
fi
# LeakSanitizer cannot work under a tracer.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  strace -f -y -e trace=fsync,fdatasync,rename,renameat,renameat2 -o "$scratch/trace.txt" \
  "$sample" "$scratch" >/dev/null || exit 1
# fsync(3</folder/.korvanta-abc>) = 0 marks the file flushed; rename("/folder/.korvanta-abc", ...)
# must come after it.
awk '
  /f(data)?sync\(/ && / = 0$/ { if (match($0, /<[^>]*>/)) flushed[substr($0, RSTART + 1, RLENGTH - 2)] = 1 }
  /rename(at2?)?\(/ && /\.korvanta-/ {
    if (!match($0, /"[^"]*\.korvanta-[^"]*"/)) next
    renamed++
    name = substr($0, RSTART + 1, RLENGTH - 2)
    if (!(name in flushed)) { print "renamed before it was flushed: " name; bad++ }
  }
  END {
    if (renamed == 0) { print "no export renamed into place"; exit 1 }
    if (bad > 0) exit 1
    print renamed " exports, each flushed before its rename"
  }' "$scratch/trace.txt"
