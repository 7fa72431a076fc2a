#!/usr/bin/env bash
# Installs the module (component python) into a scratch prefix and imports
# it from there with the interpreter it was built for; then checks that the
# same folder under the default prefix /usr/local is on that interpreter's
# own path, so an installed module needs no PYTHONPATH.
# Usage: install-check.sh BUILD_DIR PYTHON INSTALL_DIR_RELATIVE_TO_PREFIX
set -euo pipefail
build="$1" python="$2" reldir="$3"
prefix="$build/python-install-check"
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" --component python > /dev/null
test -f "$prefix/$reldir/pplcam/__init__.pyi"
test -f "$prefix/$reldir/pplcam/py.typed"
PYTHONPATH="$prefix/$reldir" "$python" -c '
import sys, pplcam
assert pplcam.__file__.startswith(sys.argv[1]), pplcam.__file__
with pplcam.Context() as c:
    c.quality = 2' "$prefix"
"$python" -c '
import sys
assert sys.argv[1] in sys.path, sys.argv[1] + " is not on " + repr(sys.path)' "/usr/local/$reldir"
echo "pplcam imports from $prefix/$reldir"
