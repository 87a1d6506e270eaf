#!/usr/bin/env bash
# The programs of this tree's builds that are running: simulated wands, collectors and windows
# (under Wine too), matched by the build folders' paths so that other trees' runs on this machine
# do not count.
# Usage: check-leftovers.sh            lists them, one "pid command" a line;
#        check-leftovers.sh BEFORE     fails, naming them, if any runs that BEFORE (an earlier
#                                      listing) did not hold: a test left it behind.
set -uo pipefail
cd "$(dirname "$0")/.."
unix=$PWD/build
windows=$(tr / '\\' <<<"z:$unix" | tr '[:upper:]' '[:lower:]')

list() {
  local proc exe program
  for proc in /proc/[0-9]*; do
    exe=$(readlink "$proc/exe" 2>/dev/null) || continue
    # Wine shows a program's Windows path as its first argument.
    program=$(tr '\0' '\n' <"$proc/cmdline" 2>/dev/null | head -n 1)
    if [[ $exe == "$unix"* || ${program,,} == "$windows"* ]]; then
      echo "${proc#/proc/} $(tr '\0' ' ' <"$proc/cmdline")"
    fi
  done
}

if (($# == 0)); then
  list
  exit 0
fi
left=$(comm -13 <(sort <<<"$1") <(list | sort))
if [[ -n $left ]]; then
  echo "Processes left behind by the tests:" >&2
  echo "$left" >&2
  exit 1
fi
