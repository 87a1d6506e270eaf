#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing, saying so on stderr;
# silent when none is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

missing=()
while read -r package; do
  [[ -z "$package" || "$package" == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done <"$here/packages.txt"

((${#missing[@]} == 0)) && exit 0

echo "Installing ${#missing[@]} Debian packages (once; this takes a few minutes): ${missing[*]}" >&2
run_as_root=()
if ((EUID != 0)); then
  command -v sudo >/dev/null || { echo "Run as root or install sudo to add: ${missing[*]}" >&2; exit 1; }
  run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
# One line per package unpacked and set up, so a first run shows it is moving.
"${run_as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" |
  sed -n -E '/^(Unpacking|Setting up) /p' >&2
echo "Packages installed." >&2
