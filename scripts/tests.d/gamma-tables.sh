#!/usr/bin/env bash
# The stored gamma settings (src/controls/gamma_tables.inc) are what
# tools/gammagen generates: builds the generator on its own and compares.
set -euo pipefail
cd "$(dirname "$0")/../.."
dir="${PPLCAM_BUILD_PREFIX:-build}-gammagen"
mkdir -p "$dir"
echo "=== gamma tables against tools/gammagen"
"${CXX:-c++}" -std=c++17 -O2 -o "$dir/gammagen" tools/gammagen/main.cpp
"$dir/gammagen" > "$dir/gamma_tables.inc"
diff -u src/controls/gamma_tables.inc "$dir/gamma_tables.inc"
echo "gamma tables match their generator"
