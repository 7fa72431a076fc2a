// Shared steps of the two dispatch layers: the converters' entry checks and
// the processing operations' choice between the MMX and the SSE2 kernels.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/cpu_features.h"

namespace pplcam {

inline bool aligned_to(const void* p, uintptr_t n) {
  return (reinterpret_cast<uintptr_t>(p) & (n - 1)) == 0;
}

// A converter may run a kernel: buffers 8-byte aligned and the MMX path
// available (detecting the features on first use).
inline bool converter_can_run(const void* const* buffers, int count) {
  for (int i = 0; i < count; ++i)
    if (!aligned_to(buffers[i], 8)) return false;
  return (cpu_features_detected() & kCpuMmxPath) != 0;
}

// The SSE2 kernels run when every buffer is 16-byte aligned, the processor
// has SSE2 and the context does not force the MMX path.
inline bool use_sse2_path(const ppl_context* c, const void* const* buffers, int count) {
  for (int i = 0; i < count; ++i)
    if (!aligned_to(buffers[i], 16)) return false;
  return (cpu_features_detected() & kCpuSse2) && !c->P3_only;
}

}  // namespace pplcam
