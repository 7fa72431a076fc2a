#!/usr/bin/env bash
# The threads tests (eight contexts on eight threads, ppl_init/ppl_free from
# several threads) built with ThreadSanitizer: a data race between contexts
# or in the pool's slot claim fails the run. Only the library and that
# program are built, so the step stays short.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs="$(nproc 2>/dev/null || echo 2)"
dir="${PPLCAM_BUILD_PREFIX:-build}-tsan"

echo "=== build $dir (ThreadSanitizer)"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPPLCAM_TSAN=ON -DPPLCAM_BUILD_BENCH=OFF \
  -DPPLCAM_BUILD_TOOLS=OFF -DPPLCAM_BUILD_GSTREAMER=OFF -DPPLCAM_BUILD_PYTHON=OFF
cmake --build "$dir" -j "$jobs" --target pplcam_concurrency_tests
echo "=== test $dir (ThreadSanitizer)"
# halt_on_error: the first report fails the test instead of a warning.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir "$dir" --output-on-failure -R '^Concurrency\.'
