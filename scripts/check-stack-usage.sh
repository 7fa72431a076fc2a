#!/usr/bin/env bash
# Fails when a function of the core needs a stack frame above LIMIT bytes or
# one of unbounded size (alloca, variable-length arrays): the library runs
# on kernel stacks (12 KB on 32-bit Windows, shared with the caller).
# Reads the .su files GCC writes with -fstack-usage.
#   check-stack-usage.sh LIMIT FILE.su...
set -euo pipefail
limit="$1"; shift
report="$(awk -F'\t' -v limit="$limit" '
  { if ($2 + 0 > max) { max = $2 + 0; where = $1 } }
  $2 + 0 > limit || $3 == "dynamic" { print "FAIL: " $1 " needs " $2 " bytes (" $3 ")" }
  END { printf "largest frame %d bytes: %s\n", max, where > "/dev/stderr" }' "$@" 2>&1)"
echo "$report" | grep -v '^FAIL' | sed "s|^|ok: $# files, limit $limit; |"
if echo "$report" | grep -q '^FAIL'; then
  echo "$report" | grep '^FAIL' >&2
  exit 1
fi
