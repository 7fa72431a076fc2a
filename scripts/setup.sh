#!/usr/bin/env bash
# Installs what building and testing pplcam needs on a Debian machine.
# Runs apt-get as root (through sudo when not root). Packages already
# present are not fetched again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libyuv-dev
)
# Extra package lists that other parts of the project add (one name a line).
here="$(cd "$(dirname "$0")" && pwd)"
for list in "$here"/packages.d/*.txt; do
  [ -e "$list" ] || continue
  while read -r name; do
    case "$name" in ''|'#'*) ;; *) packages+=("$name") ;; esac
  done < "$list"
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
