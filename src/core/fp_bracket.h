// The floating-point bracket: every piece of SIMD work runs between a save
// and a restore of the floating-point/SIMD state, on a save area local to the
// caller. In the Windows kernel the pair is KeSaveFloatingPointState and
// KeRestoreFloatingPointState; the platform layer (platform_*.cpp) maps it.
// When the save fails the SIMD work is skipped and the caller carries on as
// its own rule says (fallback fill, or a result without rebuilding tables).
#pragma once

#include <cstdint>

namespace pplcam {

// Large enough for the kernel's KFLOATING_SAVE on both word sizes.
struct FpSaveArea {
  alignas(16) uint8_t bytes[32];
};

// Provided by the platform layer. fp_save returns false when the state
// cannot be saved; fp_restore is called only after a successful save.
bool fp_save(FpSaveArea* area);
void fp_restore(FpSaveArea* area);

// Scoped bracket: saves on construction, restores on destruction if saved.
class FpBracket {
 public:
  FpBracket() : saved_(fp_save(&area_)) {}
  ~FpBracket() {
    if (saved_) fp_restore(&area_);
  }
  FpBracket(const FpBracket&) = delete;
  FpBracket& operator=(const FpBracket&) = delete;
  bool ok() const { return saved_; }

 private:
  FpSaveArea area_;
  bool saved_;
};

}  // namespace pplcam
