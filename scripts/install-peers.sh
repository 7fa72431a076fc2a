#!/usr/bin/env bash
# Installs Google Benchmark and the peer libraries that the benchmarks
# (bench/) measure pplcam against: libyuv and OpenCV, and OpenCV's Python
# module for the Python binding's comparison (bench/python/). Not needed to
# build or test pplcam, so CI does not run it.
set -euo pipefail

packages=(libbenchmark-dev libyuv-dev libopencv-dev python3-opencv)
. "$(cd "$(dirname "$0")" && pwd)/lib/apt-install.sh"
apt_install_missing install-peers "${packages[@]}"
