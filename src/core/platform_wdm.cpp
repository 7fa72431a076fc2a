// Windows kernel platform layer: the library as a kernel-mode export driver.
//
// The floating-point bracket is the kernel's own: KeSaveFloatingPointState
// before the SIMD work and KeRestoreFloatingPointState after it, on the
// caller's save area. A failed save (negative NTSTATUS) makes the caller skip
// its SIMD work. The image's entry routine clears the context pool and
// reports success; DllUnload (lifecycle.cpp) has nothing to undo. On 32-bit
// x86 it also supplies the compiler's 64-bit division helpers from the
// kernel's own.
//
// Only the three kernel routines this file needs are declared here instead
// of pulling in the whole DDK header set, so the core never sees a kernel
// type. The kernel's convention (NTAPI) is the library's own PPLCALL:
// stdcall on 32-bit x86, the only convention on x86-64.
#include <cstdint>

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
}

namespace pplcam {

static_assert(sizeof(FpSaveArea) >= 32, "the save area must hold an x86 KFLOATING_SAVE");

bool fp_save(FpSaveArea* area) { return KeSaveFloatingPointState(area->bytes) >= 0; }

void fp_restore(FpSaveArea* area) { KeRestoreFloatingPointState(area->bytes); }

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
