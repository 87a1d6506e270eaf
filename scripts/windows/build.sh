#!/usr/bin/env bash
# Installs what building and testing the Windows programs needs, then cross-builds them with
# mingw-w64: build-win32/ (32-bit) and build-win64/ (64-bit), each with its tests, and the
# 32-bit installer and zip into build-win32/. Says what it does only when there is something to do.
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

# The installer and the zip, whenever a program is newer than them.
shopt -s nullglob
setups=(build-win32/Korvanta-*-win32-setup.exe)
if ((${#setups[@]} == 0)) || [[ build-win32/winui/Korvanta.exe -nt ${setups[0]} ||
  build-win32/tools/wandread/wandread.exe -nt ${setups[0]} ]]; then
  echo "Packing the installer and the zip into build-win32/" >&2
  (cd build-win32 && cpack -G "NSIS;ZIP" >cpack.log 2>&1) || { cat build-win32/cpack.log >&2; exit 1; }
fi
