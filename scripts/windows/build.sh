#!/usr/bin/env bash
# Installs what building and testing the Windows programs needs, then cross-builds them with
# mingw-w64: build-win32/ (32-bit) and build-win64/ (64-bit), each with its tests, the 32-bit
# installer and zip into build-win32/ and the 64-bit zip into build-win64/. Says what it does only when there is something to do.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/ensure-packages.sh scripts/windows/packages.txt

for target in i686:build-win32 x86_64:build-win64; do
  arch=${target%%:*}
  dir=${target#*:}
  if [[ ! -f $dir/build.ninja ]]; then
    echo "Configuring $dir ($arch)" >&2
    mkdir -p "$dir"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-$arch.cmake \
      -DKORVANTA_WERROR=ON -DKORVANTA_HOST_BUILD="$PWD/build" >"$dir/configure.log" 2>&1 ||
      { cat "$dir/configure.log" >&2; exit 1; }
  fi
  if ! ninja -C "$dir" -n 2>/dev/null | grep -q 'no work to do'; then
    echo "Building $dir ($arch)" >&2
    cmake --build "$dir" -j2 >"$dir/build.log" 2>&1 || { tail -n 60 "$dir/build.log" >&2; exit 1; }
  fi
done

# The test stand-in for winsqlite3.dll, which the Wine prefix gets (test support, never packaged).
standin=tests/windows/winsqlite3
if [[ ! -f build-winsqlite3/i386-unix/winsqlite3.so ||
  -n $(find "$standin" -newer build-winsqlite3/i386-unix/winsqlite3.so) ]]; then
  echo "Building the test stand-in for winsqlite3.dll into build-winsqlite3/" >&2
  "$standin/build.sh" build-winsqlite3
fi

# The packages, whenever a program is newer than them: the installer and the zip of the
# 32-bit programs, which run on every Windows, and a zip of the 64-bit ones beside them.
shopt -s nullglob
for target in win32:NSIS\;ZIP win64:ZIP; do
  system=${target%%:*}
  generators=${target#*:}
  dir=build-$system
  packages=("$dir"/Korvanta-*-"$system".zip)
  if ((${#packages[@]} == 0)) || [[ $dir/winui/Korvanta.exe -nt ${packages[0]} ||
    $dir/tools/wandread/wandread.exe -nt ${packages[0]} ]]; then
    echo "Packing $generators into $dir/" >&2
    (cd "$dir" && cpack -G "$generators" >cpack.log 2>&1) || { cat "$dir/cpack.log" >&2; exit 1; }
  fi
done
