#!/usr/bin/env bash
# Builds pplcam and runs every test twice: a release build, and a build
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
# What only the tests need (scripts/packages.d/test/): cross toolchains,
# Wine, GoogleTest, ... Installed as root, through sudo when not root.
. scripts/lib/apt-install.sh
. scripts/lib/install-lists.sh
install_package_lists run-tests scripts/packages.d/test
jobs="$(nproc 2>/dev/null || echo 2)"

run() {   # run DIR [cmake options...]
  local dir="$1"; shift
  echo "=== build $dir $*"
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DPPLCAM_BUILD_BENCH=OFF "$@" > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
  cmake --build "$dir" -j "$jobs"
  echo "=== test $dir"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run build -DCMAKE_BUILD_TYPE=Release
run build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPPLCAM_SANITIZE=ON
# Further test configurations (other targets) hook in here.
for extra in scripts/tests.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "=== $extra"
  bash "$extra"
done
