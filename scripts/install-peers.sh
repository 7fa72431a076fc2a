#!/usr/bin/env bash
# Installs the peer libraries that the benchmarks measure pplcam against
# (bench/: libyuv, installed by setup.sh, and OpenCV). Not needed to build
# or test pplcam, so CI does not run it.
set -euo pipefail

packages=(libyuv-dev libopencv-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-peers: all peers present"
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "install-peers: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
