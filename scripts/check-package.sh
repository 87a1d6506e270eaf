#!/usr/bin/env bash
# Builds the Debian package in its own build tree, unpacks it into a scratch root and checks
# what it installs; as root in CI it also installs it on the machine and runs the programs.
# Usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}

# Debian's own hardening flags, as a package built by Debian's tools would get them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Without -g: the package's programs are stripped, so debugging information would only slow the
# build.
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
cxxflags=${cxxflags//-g /}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DKORVANTA_TESTS=OFF -DKORVANTA_BENCH=OFF >/dev/null
cmake --build "$build" >/dev/null
rm -f "$build"/korvanta_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/korvanta_*.deb)

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
programs=(korvanta wandread wandsim)
installed=()
for program in "${programs[@]}"; do
  installed+=("usr/bin/$program" "usr/share/man/man1/$program.1.gz")
done
for file in "${installed[@]}" \
  usr/share/applications/korvanta.desktop usr/share/metainfo/invalid.korvanta.korvanta.metainfo.xml \
  usr/share/doc/korvanta/copyright usr/share/doc/korvanta/changelog.gz \
  usr/share/icons/hicolor/16x16/apps/korvanta.png usr/share/icons/hicolor/32x32/apps/korvanta.png \
  etc/fonts/conf.d/65-korvanta-simsun.conf; do
  check "installs /$file" test -s "$root/$file"
done
check "desktop entry" grep -qx 'Categories=Utility;' "$root/usr/share/applications/korvanta.desktop"
check "desktop entry validates" bash -c '! command -v desktop-file-validate >/dev/null ||
  desktop-file-validate "$1"' _ "$root/usr/share/applications/korvanta.desktop"
check "metainfo validates" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
check "font alias is a conffile" bash -c 'dpkg-deb -I "$1" conffiles | grep -qx /etc/fonts/conf.d/65-korvanta-simsun.conf' _ "$deb"
check "manual pages name the options --help names" scripts/check-man-pages.py "$root" "${programs[@]}"
# Informational tags are shown but do not fail the check.
check "lintian: no errors or warnings" lintian --display-info --fail-on error,warning "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libudev1 qt6-qpa-plugins fonts-arphic-uming; do
  check "depends on $package" grep -q "$package" <<<"$depends"
done
check "unpacked wandread --help" bash -c '"$1" --help | grep -q "usage: wandread"' _ "$root/usr/bin/wandread"

if [[ ${CI:-} == true && $EUID == 0 ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "$(realpath "$deb")" >/dev/null
  check "installed wandread --help" bash -c 'wandread --help | grep -q "usage: wandread"'
  check "installed korvanta starts and stays up" bash -c \
    'QT_QPA_PLATFORM=offscreen timeout 3 korvanta; [[ $? == 124 ]]'
  apt-get purge -y -qq korvanta >/dev/null
fi

echo "package $(basename "$deb"): $failures failed"
((failures == 0))
