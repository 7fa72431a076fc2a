// User-mode platform layer: the floating-point bracket of a process.
//
// A process's floating-point state is its own, so the save always succeeds
// (tests can make it fail on purpose) and the restore only leaves the MMX
// state clean (EMMS), which is all a kernel restore guarantees the caller.
// A kernel build replaces this file with one that calls
// KeSaveFloatingPointState / KeRestoreFloatingPointState.
#include <mmintrin.h>

#include "core/fp_bracket.h"
#include "core/platform.h"

namespace pplcam {
namespace {
int g_fail_saves = 0;   // touched only by tests, never by the library itself
}

void platform_fail_next_fp_saves(int count) { g_fail_saves = count; }

bool fp_save(FpSaveArea*) {
  if (g_fail_saves > 0) {
    --g_fail_saves;
    return false;
  }
  return true;
}

// EMMS is an MMX instruction: this one function gets MMX enabled, the rest
// of the layer stays baseline code (32-bit builds enable no MMX by default).
__attribute__((target("mmx"))) void fp_restore(FpSaveArea*) { _mm_empty(); }

}  // namespace pplcam
