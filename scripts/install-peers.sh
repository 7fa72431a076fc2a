#!/usr/bin/env bash
# Installs Google Benchmark and the peer libraries that the benchmarks
# (bench/) measure pplcam against: libyuv and OpenCV. Not needed to build
# or test pplcam, so CI does not run it.
set -euo pipefail

packages=(libbenchmark-dev libyuv-dev libopencv-dev)
. "$(cd "$(dirname "$0")" && pwd)/lib/apt-install.sh"
apt_install_missing install-peers "${packages[@]}"
