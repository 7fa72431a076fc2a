#!/usr/bin/env bash
# Installs the library's component of the build into a scratch prefix (the
# plugin, the module and the tool need not be built), then builds and runs a
# C program against it twice: through find_package(pplcam) and through pkg-config.
set -euo pipefail
build="$1"; src="$(cd "$(dirname "$0")" && pwd)"
prefix="$build/install-check/prefix"
rm -rf "$build/install-check"
cmake --install "$build" --prefix "$prefix" --component library > /dev/null
cmake -S "$src/consumer" -B "$build/install-check/cmake" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$build/install-check/cmake" > /dev/null
LD_LIBRARY_PATH="$prefix/lib" "$build/install-check/cmake/consumer"
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs pplcam)
cc -o "$build/install-check/pc-consumer" "$src/consumer/main.c" $flags
LD_LIBRARY_PATH="$prefix/lib" "$build/install-check/pc-consumer"
echo "installed package found through CMake and pkg-config"
