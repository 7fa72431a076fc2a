#!/usr/bin/env bash
# Builds pplcam (library and tool) and runs `pplcam demo`: the bundled
# sample converted through every quality and output format into ./out/demo.
# Run scripts/setup.sh first on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc 2>/dev/null || echo 2)"
build=build-demo

echo "=== configure $build"
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPPLCAM_BUILD_TESTS=OFF -DPPLCAM_BUILD_BENCH=OFF \
  > "$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
echo "=== build $build"
cmake --build "$build" -j "$jobs"
tool="$build/tools/pplcam"
if [ ! -x "$tool" ]; then
  echo "demo: the pplcam tool was not built; run scripts/setup.sh (it installs CLI11, libpng, nlohmann-json)" >&2
  exit 1
fi

echo "=== $tool demo"
"$tool" demo --output out/demo
echo
echo "Open the pictures in out/demo/ (*.png, *.bmp): coffee-stats.png for the statistics, interlaced-*.png for"
echo "the motion test. Play the videos with 'mpv out/demo/interlaced-weave.y4m' (or ffplay, VLC)."
