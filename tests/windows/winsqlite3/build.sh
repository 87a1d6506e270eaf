#!/usr/bin/env bash
# Builds the test stand-in for winsqlite3.dll into OUT: for each bitness a mingw DLL marked as a
# Wine builtin (OUT/x86_64-windows/, OUT/i386-windows/) and the Linux library it forwards to
# (OUT/x86_64-unix/winsqlite3.so, OUT/i386-unix/winsqlite3.so). Test support only: nothing of
# it is packaged.
# Usage: build.sh OUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
for target in x86_64:x86_64-w64-mingw32:-m64 i386:i686-w64-mingw32:-m32; do
  IFS=: read -r arch mingw bits <<<"$target"
  mkdir -p "$out/$arch-windows" "$out/$arch-unix"
  dll=$out/$arch-windows/winsqlite3.dll
  # The exports without stdcall's @N, as the system's DLL names them.
  "$mingw-gcc" -O2 -Wall -Werror -shared -Wl,--kill-at -Wl,--enable-stdcall-fixup \
    -o "$dll" "$here/winsqlite3_pe.c" "$here/winsqlite3.def" -lkernel32
  winebuild --builtin "$dll"
  gcc "$bits" -O2 -Wall -Werror -shared -fPIC -o "$out/$arch-unix/winsqlite3.so" \
    "$here/winsqlite3_unix.c" -lsqlite3
done
