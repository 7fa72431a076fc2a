// User-mode platform layer: the floating-point bracket of a process.
//
// A process's floating-point state is its own, so the save always succeeds
// (tests can make it fail on purpose), covers the wide registers (the OS
// switches them with the thread) and the restore only leaves the MMX state
// clean (EMMS), which is all a kernel restore guarantees the caller. The
// wide rows' kernels leave the upper halves of the YMM/ZMM registers clean
// themselves (VZEROUPPER at the exit of every function that used them).
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

FpSaved fp_save(FpSaveArea*, bool) {
  if (g_fail_saves > 0) {
    --g_fail_saves;
    return FpSaved::kNone;
  }
  return FpSaved::kWide;
}

bool wide_state_is_callers() { return true; }

// EMMS is an MMX instruction: this one function gets MMX enabled, the rest
// of the layer stays baseline code (32-bit builds enable no MMX by default).
__attribute__((target("mmx"))) void fp_restore(FpSaveArea*, FpSaved) { _mm_empty(); }

}  // namespace pplcam
