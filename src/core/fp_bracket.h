// The floating-point bracket: every piece of SIMD work runs between a save
// and a restore of the floating-point/SIMD state, on a save area local to the
// caller. In the Windows kernel the pair is KeSaveFloatingPointState and
// KeRestoreFloatingPointState, or for the wide rows KeSaveExtendedProcessorState
// and KeRestoreExtendedProcessorState; the platform layer (platform_*.cpp)
// maps it.
// When the save fails the SIMD work is skipped and the caller carries on as
// its own rule says (fallback fill, or a result without rebuilding tables).
#pragma once

#include <cstdint>

namespace pplcam {

// Large enough for the kernel's KFLOATING_SAVE on both word sizes, and for
// its XSTATE_SAVE on x86-64 (56 bytes), which the wide bracket uses.
struct FpSaveArea {
  alignas(16) uint8_t bytes[64];
};

// What a save covered.
enum class FpSaved : uint8_t {
  kNone,   // nothing: the caller skips its SIMD work
  kSimd,   // the floating-point and SSE state: up to the SSE2 path
  kWide,   // the YMM/ZMM state as well: every path
};

// Provided by the platform layer. fp_save with `wide` asks for the wide
// registers too where they need a save of their own (the Windows kernel);
// it may give less. fp_restore is called only after a successful save, with
// what the save gave.
FpSaved fp_save(FpSaveArea* area, bool wide);
void fp_restore(FpSaveArea* area, FpSaved saved);

// Whether the wide rows may run without a wide save of the library's own:
// true in a process (its registers are its own and the OS switches them),
// false in the Windows kernel (the caller saved only what it saved).
bool wide_state_is_callers();

// Scoped bracket: saves on construction, restores on destruction if saved.
// The exported converters open the wide one.
class FpBracket {
 public:
  explicit FpBracket(bool wide = false) : saved_(fp_save(&area_, wide)) {}
  ~FpBracket() {
    if (saved_ != FpSaved::kNone) fp_restore(&area_, saved_);
  }
  FpBracket(const FpBracket&) = delete;
  FpBracket& operator=(const FpBracket&) = delete;
  bool ok() const { return saved_ != FpSaved::kNone; }
  bool wide() const { return saved_ == FpSaved::kWide; }

 private:
  FpSaveArea area_;
  FpSaved saved_;
};

}  // namespace pplcam
