// Hooks of the platform layer beyond the floating-point bracket.
#pragma once

#include <cstdint>

namespace pplcam {

// Test control of the user-mode layer: the next `count` saves fail.
// The kernel-mode layer has no such control.
void platform_fail_next_fp_saves(int count);

}  // namespace pplcam
