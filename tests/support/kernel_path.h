// The three ways a conversion reaches a kernel path, so a test can run each.
#pragma once

namespace pplcam::test {

enum class KernelPath {
  kSse2,        // 16-byte-aligned buffers on an SSE2 processor
  kMmxNoSse2,   // 16-byte-aligned buffers, SSE2 hidden from the library
  kMmxAlign8,   // buffers aligned to 8 but not to 16
};
constexpr KernelPath kAllKernelPaths[] = {KernelPath::kSse2, KernelPath::kMmxNoSse2,
                                          KernelPath::kMmxAlign8};

inline const char* kernel_path_name(KernelPath p) {
  return p == KernelPath::kSse2 ? "SSE2" : p == KernelPath::kMmxNoSse2 ? "MMX(no SSE2)" : "MMX(8-aligned)";
}

}  // namespace pplcam::test
