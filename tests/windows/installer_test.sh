#!/usr/bin/env bash
# Makes the Windows packages of a build, installs the setup silently into a Wine prefix of its
# own, checks what it installed and that the programs start, uninstalls silently and checks
# that nothing is left; the zip must hold the same programs. Needs a display (xvfb-run).
# Usage: installer_test.sh BUILD_DIR VERSION SYSTEM PROGRAM.exe...
set -euo pipefail
build=$1 version=$2 system=$3
shift 3
programs=("$@")

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
names() { xargs -r -d '\n' -n1 basename | sort; }

cpack --config "$build/CPackConfig.cmake" -G "NSIS;ZIP" -B "$work/packages" >"$work/cpack.log" ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
setup=$work/packages/Korvanta-$version-$system-setup.exe
zip=$work/packages/Korvanta-$version-$system.zip
[[ -f $setup ]] || fail "no installer $(basename "$setup")"
[[ -f $zip ]] || fail "no zip $(basename "$zip")"

expected=$(printf '%s\n' "${programs[@]}" | names)
[[ $(cmake -E tar tf "$zip" | grep -v '/$' | names) == "$expected" ]] ||
  fail "the zip holds $(cmake -E tar tf "$zip" | tr '\n' ' '), not the programs"

wine "$setup" /S
wineserver -w
installed=("$WINEPREFIX"/drive_c/Program\ Files*/Korvanta)
[[ ${#installed[@]} == 1 && -d ${installed[0]} ]] || fail "nothing in Program Files\\Korvanta"
dir=${installed[0]}
[[ $(cd "$dir" && ls | sort) == $(printf '%s\n' "$expected" Uninstall.exe | sort) ]] ||
  fail "installed: $(ls "$dir" | tr '\n' ' ')"
# NSIS writes it in the 32-bit view of the registry.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvanta'
wine reg query "$uninstall_key" /v UninstallString /reg:32 2>/dev/null |
  grep -qF "\"$(winepath -w "$dir")\\Uninstall.exe\"" ||
  fail "the uninstaller is not registered with Windows' installed programs"
for program in "${programs[@]}"; do
  cmp -s "$program" "$dir/$(basename "$program")" || fail "$(basename "$program") differs from the build's"
done

for program in "${programs[@]}"; do
  case $(basename "$program") in
    wandread.exe)
      status=0
      wine "$dir/wandread.exe" >/dev/null 2>"$work/usage" || status=$?
      ((status == 64)) || fail "installed wandread.exe without arguments: status $status, not 64"
      ;;
    Korvanta.exe)
      menu=$(find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Korvanta/Korvanta.lnk')
      [[ -n $menu ]] || fail "no Start-menu shortcut Korvanta\\Korvanta.lnk"
      wine "$dir/Korvanta.exe" &
      window=
      for _ in $(seq 60); do
        window=$(xdotool search --name '^测试Demo$' 2>/dev/null || true)
        [[ -n $window ]] && break
        sleep 0.5
      done
      [[ -n $window ]] || fail "the installed Korvanta.exe shows no window 测试Demo"
      kill $!
      wait $! 2>/dev/null || true
      ;;
  esac
done

wine "$dir/Uninstall.exe" /S
# The uninstaller runs from a copy of itself and returns at once; the prefix is ours alone.
wineserver -w
[[ ! -e $dir ]] || fail "left after uninstalling: $(find "$dir" | tr '\n' ' ')"
[[ -z $(find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Korvanta*') ]] ||
  fail "the Start-menu folder is left after uninstalling"
! wine reg query "$uninstall_key" /reg:32 >/dev/null 2>&1 ||
  fail "the uninstaller is still registered after uninstalling"
echo "installed, started and uninstalled: $expected" | tr '\n' ' '
echo
