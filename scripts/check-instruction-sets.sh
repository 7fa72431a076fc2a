#!/usr/bin/env bash
# Checks that each object of the core uses only the instruction set of its
# kernel path (objects named *_<path>.o, as cmake/PplcamCore.cmake gives
# them their flags), so that the library runs on a processor without a
# wider path's instructions as long as that path is not chosen.
#
# 32-bit x86 objects (the baseline has neither MMX nor SSE):
#   *_mmx            MMX and SSE: an XMM register only in single-precision
#                    SSE instructions (..ps, ..ss, ldmxcsr, stmxcsr);
#   *_sse2           MMX and XMM registers, no VEX or EVEX encoding;
#   other objects    no MMX or XMM register at all.
# x86-64 objects (the baseline has SSE2): *_mmx, *_sse2 and the other
# objects use no VEX or EVEX encoding.
# Both word sizes:
#   *_avx2           VEX (v.. instructions, YMM registers), no EVEX: no ZMM
#                    or mask register, no XMM/YMM register above 15;
#   *_avx512         anything.
# In both, every function that uses a YMM or ZMM register runs VZEROUPPER
# (before it returns to code that may run SSE instructions, which would
# otherwise pay for the dirty upper halves; GCC emits it at function exit).
# "No VEX or EVEX" means no v.. instruction on XMM registers and no YMM,
# ZMM or mask register.
#
# Then the rule the linker would otherwise break: an inline function or
# template instance (a weak symbol) defined by objects of two different
# rules is one copy in the library, built with either instruction set.
# Kernel code shared between paths must be a template over the path (or
# internal to each file), so that every path has its own copy.
# A new path adds its suffix to the case below, with the rule of its
# instruction set.
#   check-instruction-sets.sh OBJDUMP OBJECT...
set -euo pipefail
objdump="$1"; shift
nm="${objdump%objdump}nm"
status=0
weak="$(mktemp)"
trap 'rm -f "$weak"' EXIT
for obj in "$@"; do
  bits=64
  "$objdump" -f "$obj" | grep -q 'elf32-i386\|pe-i386' && bits=32
  case "$(basename "$obj")" in
    *_avx512.*) rule=avx512 ;;
    *_avx2.*) rule=avx2 ;;
    *_sse2.*) rule=sse2 ;;
    *_mmx.*) rule=mmx ;;
    *) rule=none ;;
  esac
  check=$rule
  if [ $bits = 64 ] && [ $rule != avx2 ] && [ $rule != avx512 ]; then check=sse2; fi
  bad="$("$objdump" -d --no-show-raw-insn "$obj" | awk -v rule="$check" '
    /^ *[0-9a-f]+:\t/ {
      line = $0; sub(/^ *[0-9a-f]+:\t/, "", line)
      split(line, f, /[ \t]+/); op = f[1]
      if (rule == "none" && line ~ /%x?mm[0-9]/) print
      if (rule == "mmx" && line ~ /%xmm[0-9]/ && op !~ /(ps|ss)$/ && op !~ /^(ld|st)mxcsr$/) print
      if (rule == "sse2" && (line ~ /%[yz]mm[0-9]|%k[0-7]/ || (op ~ /^v/ && line ~ /%xmm/))) print
      if (rule == "avx2" && (line ~ /%zmm[0-9]|%k[0-7]|%[xy]mm(1[6-9]|2[0-9]|3[01])/)) print
    }' | head -5 || true)"
  if [ $rule = avx2 ] || [ $rule = avx512 ]; then
    bad="$bad$("$objdump" -d --no-show-raw-insn "$obj" | awk '
      /^[0-9a-f]+ <.*>:$/ { fn = $2 }
      /%[yz]mm[0-9]/ { wide[fn] = 1 }
      /vzeroupper/ { clean[fn] = 1 }
      END { for (f in wide) if (!(f in clean)) print "no vzeroupper in " f }' | head -5 || true)"
  fi
  if [ -n "$bad" ]; then
    echo "FAIL: $(basename "$obj") breaks the rule of its path ($rule):" >&2
    echo "$bad" >&2
    status=1
  fi
  "$nm" --defined-only "$obj" | awk -v rule="$rule" '$2 == "W" { print $3, rule }' >> "$weak"
done
shared="$(sort -u "$weak" | awk '{ rules[$1] = rules[$1] " " $2; n[$1]++ } END { for (s in n) if (n[s] > 1) print s ":" rules[s] }' | head -5 || true)"
if [ -n "$shared" ]; then
  echo "FAIL: inline code shared by objects of different instruction sets (one copy is linked):" >&2
  echo "$shared" | sed 's/^/  /' >&2
  status=1
fi
[ $status -eq 0 ] && echo "ok: $# objects keep to their paths' instruction sets"
exit $status
