#!/usr/bin/env bash
# The concurrency tests (tests/concurrency_test.cpp: contexts converting on
# eight threads, ppl_init/ppl_free from six) under ThreadSanitizer, with the
# core built the same way. Only that test program is built.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs="$(nproc 2>/dev/null || echo 2)"
dir="${PPLCAM_BUILD_PREFIX:-build}-tsan"

echo "=== build $dir (ThreadSanitizer)"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" \
  -DPPLCAM_BUILD_BENCH=OFF -DPPLCAM_BUILD_TOOLS=OFF -DPPLCAM_BUILD_GSTREAMER=OFF -DPPLCAM_BUILD_PYTHON=OFF
cmake --build "$dir" -j "$jobs" --target pplcam_concurrency_tests
echo "=== test $dir (ThreadSanitizer)"
TSAN_OPTIONS="halt_on_error=1" ctest --test-dir "$dir" --output-on-failure -R '^Concurrency\.'
