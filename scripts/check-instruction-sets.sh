#!/usr/bin/env bash
# Checks that each object of the 32-bit core uses only the instruction set
# of its kernel path (objects named *_<path>.o, as cmake/PplcamCore.cmake
# gives them their flags), so that the library runs on a processor with MMX
# and SSE but no SSE2 as long as the 16-byte path is not chosen, and on one
# without AVX as long as no wider path is:
#   *_mmx objects    MMX and SSE: an XMM register only in single-precision
#                    SSE instructions (..ps, ..ss, ldmxcsr, stmxcsr);
#   *_sse2 objects   MMX and XMM registers, no VEX or EVEX encoding (no
#                    v.. instruction, no YMM, ZMM or mask register);
#   other objects    no MMX or XMM register at all.
# A new path adds its suffix to the case below, with the rule of its
# instruction set.
#   check-instruction-sets.sh OBJDUMP OBJECT...
set -euo pipefail
objdump="$1"; shift
status=0
for obj in "$@"; do
  case "$(basename "$obj")" in
    *_sse2.*) rule=sse2 ;;
    *_mmx.*) rule=mmx ;;
    *) rule=none ;;
  esac
  bad="$("$objdump" -d --no-show-raw-insn "$obj" | awk -v rule="$rule" '
    /^ *[0-9a-f]+:\t/ {
      line = $0; sub(/^ *[0-9a-f]+:\t/, "", line)
      split(line, f, /[ \t]+/); op = f[1]
      if (rule == "none" && line ~ /%x?mm[0-9]/) print
      if (rule == "mmx" && line ~ /%xmm[0-9]/ && op !~ /(ps|ss)$/ && op !~ /^(ld|st)mxcsr$/) print
      if (rule == "sse2" && (line ~ /%[yz]mm[0-9]|%k[0-7]/ || (op ~ /^v/ && line ~ /%xmm/))) print
    }' | head -5)"
  if [ -n "$bad" ]; then
    echo "FAIL: $(basename "$obj") uses instructions beyond its path ($rule):" >&2
    echo "$bad" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "ok: $# objects keep to their paths' instruction sets"
exit $status
