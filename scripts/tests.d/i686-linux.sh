#!/usr/bin/env bash
# 32-bit x86 Linux: the whole test suite, where the 8-byte path runs real
# MMX instructions (the EMMS and stdcall checks of tests/target_*.cpp mean
# most here, and the CTest core_instruction_sets checks each object against
# its path's instruction set), then checks of the core's objects: none
# carries static initialisation, no frame is too large.
# Needs g++-multilib (scripts/packages.d/test/target.txt).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs="$(nproc 2>/dev/null || echo 2)"
dir="${PPLCAM_BUILD_PREFIX:-build}-i686"   # PPLCAM_BUILD_PREFIX: where to build

# Some kernels are built without 32-bit program support: there the tests
# run under qemu-i386 (user-mode emulation of the same instructions, MMX
# and x87 included).
emulator=()
probe="$(mktemp -d)"
echo 'int main(void) { return 0; }' > "$probe/p.c"
if gcc -m32 "$probe/p.c" -o "$probe/p" 2>/dev/null && ! "$probe/p" 2>/dev/null; then
  emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v qemu-i386)")
  echo "i686: this kernel does not run 32-bit programs; the tests run under qemu-i386"
fi
rm -rf "$probe"

echo "=== build $dir (32-bit x86 Linux)"
mkdir -p "$dir"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-gnu.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPPLCAM_BUILD_BENCH=OFF -DPPLCAM_BUILD_TOOLS=OFF "${emulator[@]}" \
  > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
cmake --build "$dir" -j "$jobs"

echo "=== test $dir (i686)"
ctest --test-dir "$dir" --output-on-failure -j "$jobs"

echo "=== check $dir core objects"
mapfile -t objects < <(find "$dir/CMakeFiles/pplcam_objects.dir" -name '*.o' | sort)
scripts/check-no-static-init.sh objdump "${objects[@]}"
mapfile -t frames < <(find "$dir/CMakeFiles/pplcam_objects.dir" -name '*.su' | sort)
scripts/check-stack-usage.sh 2048 "${frames[@]}"
