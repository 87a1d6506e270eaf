#!/usr/bin/env bash
# Installs the Debian packages of a list that are missing; silent when none is.
# Usage: scripts/ensure-packages.sh [LIST]  (default: scripts/packages.txt)
# A package named NAME:ARCH is of a foreign architecture, which is added first if need be.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=${1:-$here/packages.txt}

missing=()
architectures=()
while read -r package; do
  [[ -z "$package" || "$package" == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
    [[ $package == *:* ]] && architectures+=("${package##*:}")
  fi
done <"$list"

((${#missing[@]} == 0)) && exit 0

echo "Installing ${#missing[@]} packages: ${missing[*]}" >&2
run_as_root=()
if ((EUID != 0)); then
  command -v sudo >/dev/null || { echo "Run as root or install sudo to add: ${missing[*]}" >&2; exit 1; }
  run_as_root=(sudo)
fi
for architecture in "${architectures[@]}"; do
  if [[ $architecture != "$(dpkg --print-architecture)" ]] &&
    ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
    "${run_as_root[@]}" dpkg --add-architecture "$architecture"
  fi
done
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
