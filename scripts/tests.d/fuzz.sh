#!/usr/bin/env bash
# The libFuzzer targets of tests/fuzz, built with clang, ASan and UBSan,
# each run for a bounded time (PPLCAM_FUZZ_SECONDS, default 60) from the
# generated seed corpus. docs/hardening.md gives the command for a long run.
# Needs clang-14 and libclang-rt-14-dev (scripts/packages.d/test/fuzz.txt).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs="$(nproc 2>/dev/null || echo 2)"
dir="${PPLCAM_BUILD_PREFIX:-build}-fuzz"
seconds="${PPLCAM_FUZZ_SECONDS:-60}"

echo "=== build $dir (libFuzzer, clang, ASan+UBSan)"
cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPPLCAM_FUZZ=ON \
  -DPPLCAM_FUZZ_SECONDS="$seconds" -DPPLCAM_BUILD_TESTS=OFF -DPPLCAM_BUILD_BENCH=OFF \
  -DPPLCAM_BUILD_TOOLS=OFF -DPPLCAM_BUILD_GSTREAMER=OFF -DPPLCAM_BUILD_PYTHON=OFF
# The targets only: clang links no sanitizer runtime into the shared library.
cmake --build "$dir" -j "$jobs" --target convert_fuzz statistics_fuzz
# One target at a time unless PPLCAM_FUZZ_JOBS says more: each keeps a
# core busy for its whole run.
echo "=== test $dir (fuzz ${seconds} s each)"
ctest --test-dir "$dir" --output-on-failure -j "${PPLCAM_FUZZ_JOBS:-1}"
