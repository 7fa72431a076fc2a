#!/usr/bin/env bash
# Checks that each object of the 32-bit core uses only the instruction set
# of its path, so that the library runs on a processor with MMX and SSE but
# no SSE2 as long as the 16-byte path is not chosen:
#   *_sse2 objects   anything up to SSE2;
#   *_mmx objects    MMX and SSE: an XMM register only in single-precision
#                    SSE instructions (..ps, ..ss, ldmxcsr, stmxcsr);
#   other objects    no MMX or XMM register at all.
#   check-instruction-sets.sh OBJDUMP OBJECT...
set -euo pipefail
objdump="$1"; shift
status=0
for obj in "$@"; do
  case "$(basename "$obj")" in
    *_sse2.*) continue ;;
    *_mmx.*) rule=mmx ;;
    *) rule=none ;;
  esac
  bad="$("$objdump" -d --no-show-raw-insn "$obj" | awk -v rule="$rule" '
    /^ *[0-9a-f]+:\t/ {
      line = $0; sub(/^ *[0-9a-f]+:\t/, "", line)
      split(line, f, /[ \t]+/); op = f[1]
      if (rule == "none" && line ~ /%x?mm[0-9]/) print
      if (rule == "mmx" && line ~ /%xmm[0-9]/ && op !~ /(ps|ss)$/ && op !~ /^(ld|st)mxcsr$/) print
    }' | head -5)"
  if [ -n "$bad" ]; then
    echo "FAIL: $(basename "$obj") uses instructions beyond its path ($rule):" >&2
    echo "$bad" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "ok: $# objects keep to their paths' instruction sets"
exit $status
