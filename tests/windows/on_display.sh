#!/usr/bin/env bash
# Runs a Windows program under Wine on a display of its own (Xvfb), the prefix's desktop
# restarted to draw there, for tests whose windows need one. Exit status: the program's.
# Usage: on_display.sh PROGRAM.exe [ARGUMENTS...]
set -uo pipefail
source "$(dirname "$0")/../e2e_lib.sh"
source "$(dirname "$0")/window_lib.sh"
start_display
wine "$@"
