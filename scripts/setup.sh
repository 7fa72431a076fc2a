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

. "$here/lib/apt-install.sh"
apt_install_missing setup "${packages[@]}"
