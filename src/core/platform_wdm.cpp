// Windows kernel platform layer: the library as a kernel-mode export driver.
//
// The floating-point bracket is the kernel's own: KeSaveFloatingPointState
// before the SIMD work and KeRestoreFloatingPointState after it, on the
// caller's save area. A failed save (negative NTSTATUS) makes the caller skip
// its SIMD work. On x86-64 an exported converter's bracket asks for the wide
// registers too: KeSaveExtendedProcessorState with the legacy, AVX and (when
// the processor has the AVX-512 row) AVX-512 state masks, so that the AVX2
// and AVX-512 rows may run; when that save fails it falls back to the
// floating-point save and the SSE2 row. A caller that calls a processing
// operation itself has saved only the floating-point state
// (KeSaveFloatingPointState does not cover YMM/ZMM): the wide rows never
// run there. The 32-bit driver keeps to the SSE2 row. The image's entry routine clears the context pool and
// reports success; DllUnload (lifecycle.cpp) has nothing to undo. On 32-bit
// x86 it also supplies the compiler's 64-bit division helpers from the
// kernel's own.
//
// Only the kernel routines this file needs are declared here instead
// of pulling in the whole DDK header set, so the core never sees a kernel
// type. The kernel's convention (NTAPI) is the library's own PPLCALL:
// stdcall on 32-bit x86, the only convention on x86-64.
#include <cstdint>

#include "core/cpu_features.h"
#include "core/fp_bracket.h"
#include "core/lifecycle.h"
#include "pplcam/pplcam.h"

extern "C" {
typedef long NTSTATUS;
struct _DRIVER_OBJECT;
struct _UNICODE_STRING;

// The save area is KFLOATING_SAVE: 32 bytes on x86 (the x87 control and
// status words, error pointers and the CR0 state), 4 bytes on x86-64.
__declspec(dllimport) NTSTATUS PPLCALL KeSaveFloatingPointState(void* save);
__declspec(dllimport) NTSTATUS PPLCALL KeRestoreFloatingPointState(void* save);

#if defined(__x86_64__)
// The save area is XSTATE_SAVE: on x86-64 the previous save, the thread,
// the level and an XSTATE_CONTEXT (mask, length, reserved word, area and
// buffer pointers), 56 bytes, 8-byte aligned; the kernel allocates the
// register area itself.
__declspec(dllimport) NTSTATUS PPLCALL KeSaveExtendedProcessorState(uint64_t mask, void* save);
__declspec(dllimport) void PPLCALL KeRestoreExtendedProcessorState(void* save);
#endif
}

namespace pplcam {

static_assert(sizeof(FpSaveArea) >= 56, "the save area must hold a KFLOATING_SAVE and an x86-64 XSTATE_SAVE");

#if defined(__x86_64__)
namespace {
// XSTATE_MASK_LEGACY (x87 and SSE), XSTATE_MASK_AVX, XSTATE_MASK_AVX512
// (opmask, upper ZMM halves, ZMM16-31).
constexpr uint64_t kXstateLegacy = 0x3, kXstateAvx = 0x4, kXstateAvx512 = 0xE0;
}  // namespace
#endif

FpSaved fp_save(FpSaveArea* area, bool wide) {
#if defined(__x86_64__)
  const CpuFeatureSet features = wide ? cpu_feature_set() : 0;
  if (features & kCpuAvx2) {
    const uint64_t mask = kXstateLegacy | kXstateAvx | (features & kCpuAvx512 ? kXstateAvx512 : 0);
    if (KeSaveExtendedProcessorState(mask, area->bytes) >= 0) return FpSaved::kWide;
  }
#else
  (void)wide;
#endif
  return KeSaveFloatingPointState(area->bytes) >= 0 ? FpSaved::kSimd : FpSaved::kNone;
}

void fp_restore(FpSaveArea* area, FpSaved saved) {
#if defined(__x86_64__)
  if (saved == FpSaved::kWide) {
    KeRestoreExtendedProcessorState(area->bytes);
    return;
  }
#else
  (void)saved;
#endif
  KeRestoreFloatingPointState(area->bytes);
}

bool wide_state_is_callers() { return false; }

}  // namespace pplcam

#if defined(__i386__)
// 32-bit x86 has no 64-bit divide instruction, so GCC calls __udivdi3 and its
// siblings from libgcc, which a kernel image does not link. The kernel
// exports the same operations under the Microsoft compiler's names
// (stdcall, both operands on the stack, result in EDX:EAX).
extern "C" {
__declspec(dllimport) uint64_t PPLCALL _aulldiv(uint64_t dividend, uint64_t divisor);
__declspec(dllimport) uint64_t PPLCALL _aullrem(uint64_t dividend, uint64_t divisor);
__declspec(dllimport) int64_t PPLCALL _alldiv(int64_t dividend, int64_t divisor);
__declspec(dllimport) int64_t PPLCALL _allrem(int64_t dividend, int64_t divisor);

uint64_t __udivdi3(uint64_t a, uint64_t b) { return _aulldiv(a, b); }
uint64_t __umoddi3(uint64_t a, uint64_t b) { return _aullrem(a, b); }
int64_t __divdi3(int64_t a, int64_t b) { return _alldiv(a, b); }
int64_t __moddi3(int64_t a, int64_t b) { return _allrem(a, b); }
}
#endif

// Runs when the driver that imports the library is loaded. The two standard
// arguments (driver object, registry path) are not used.
extern "C" NTSTATUS PPLCALL DriverEntry(_DRIVER_OBJECT*, _UNICODE_STRING*) {
  pplcam::load_entry();
  return 0;   // STATUS_SUCCESS
}
