# A fresh Wine prefix for one test run, in a scratch folder; source this file, then call
# wine_prefix_start. It exports WINEPREFIX (and WINEDEBUG=-all), starts a persistent wineserver
# for the prefix (each program under Wine then starts in a fraction of a second) and stops it
# and removes the scratch folder when the sourcing shell exits.
#
# COM ports: $WINEPREFIX/dosdevices/comN is COMn for Windows programs (a symbolic link to a
# Linux device, e.g. a simulated wand's pseudo-terminal).
# SQLite: the test stand-in for winsqlite3.dll (build-winsqlite3/, from scripts/windows/build.sh)
# is put where Windows keeps the real one, System32 (and SysWOW64 for the 32-bit programs), and
# WINEDLLPATH names the folder of the Linux side it forwards to. WINEDLLOVERRIDES=winsqlite3=d
# hides it from a program again, as on a Windows without it.
# Fonts: the dialogs' face "宋体" (also named "SimSun") is substituted by an installed Song face.

KORVANTA_WINE_CJK_FACE=${KORVANTA_WINE_CJK_FACE:-AR PL UMing CN}

wine_prefix_stop() {
  if [[ -n ${WINEPREFIX:-} ]]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  [[ -n ${wine_scratch:-} ]] && rm -rf "$wine_scratch"
}

wine_prefix_start() {
  wine_scratch=$(mktemp -d -t korvanta-wine.XXXXXX)
  trap wine_prefix_stop EXIT
  export WINEPREFIX=$wine_scratch/prefix WINEDEBUG=-all
  # No Mono or Gecko: nothing here needs them, and their installers would only be asked for.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Started before anything else runs Wine, with its output away from every pipe: a wineserver
  # started by a program inside a pipeline keeps the pipe open after the program ends.
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1
  wineboot -i >/dev/null 2>&1
  local standin
  standin=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build-winsqlite3
  if [[ -d $standin ]]; then
    cp "$standin/x86_64-windows/winsqlite3.dll" "$WINEPREFIX/drive_c/windows/system32/"
    cp "$standin/i386-windows/winsqlite3.dll" "$WINEPREFIX/drive_c/windows/syswow64/"
    export WINEDLLPATH=$standin${WINEDLLPATH:+:$WINEDLLPATH}
  fi
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for name in 宋体 SimSun; do
    LC_ALL=C.UTF-8 wine reg add "$key" /v "$name" /t REG_SZ /d "$KORVANTA_WINE_CJK_FACE" /f \
      >/dev/null 2>&1
  done
}
