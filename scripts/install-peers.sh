#!/usr/bin/env bash
# Installs the peer libraries that the benchmarks measure pplcam against
# (bench/: libyuv, installed by setup.sh, and OpenCV). Not needed to build
# or test pplcam, so CI does not run it.
set -euo pipefail

packages=(libyuv-dev libopencv-dev)
. "$(cd "$(dirname "$0")" && pwd)/lib/apt-install.sh"
apt_install_missing install-peers "${packages[@]}"
