#include "core/cpu_features.h"

#include <cpuid.h>

extern "C" {
uint32_t cpu_features = 0;
}

namespace pplcam {

std::atomic<uint32_t> g_wide_features{0};

namespace {

char g_vendor[12];

bool same_vendor(const char a[12], const char* b) {
  for (int i = 0; i < 12; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Relaxed byte stores: a thread racing on the first detection writes the
// same bytes.
void store_word(char* dst, uint32_t v) {
  for (int i = 0; i < 4; ++i) __atomic_store_n(&dst[i], static_cast<char>(v >> (8 * i)), __ATOMIC_RELAXED);
}

}  // namespace

uint32_t features_from_cpuid(const char vendor[12], uint32_t max_leaf, uint32_t leaf1_edx,
                             uint32_t max_ext_leaf, uint32_t ext1_edx) {
  uint32_t word = kCpuDetected;
  if (max_leaf != 0) {
    word |= leaf1_edx & 0x06800010u;   // TSC, MMX, SSE, SSE2
    if (max_ext_leaf > 0x80000000u) {
      word |= ext1_edx & 0x80000000u;   // 3DNow!
      if (same_vendor(vendor, "AuthenticAMD")) word |= ext1_edx & 0x40400000u;
    }
  }
  // SSE or the AMD MMX extensions bring the integer SIMD instructions
  // (pavgb, pmaxsw, pshufw, ...) that every kernel uses.
  if (word & (kCpuSse | kCpuAmdMmxExt)) word |= kCpuMmxPath;
  return word;
}

void detect_cpu_features() {
  uint32_t a = 0, b = 0, c = 0, d = 0;
  __cpuid(0, a, b, c, d);
  const uint32_t max_leaf = a;
  store_word(g_vendor + 0, b);
  store_word(g_vendor + 4, d);
  store_word(g_vendor + 8, c);
  uint32_t leaf1_edx = 0, max_ext = 0, ext1_edx = 0;
  if (max_leaf != 0) {
    __cpuid(1, a, b, c, d);
    leaf1_edx = d;
    __cpuid(0x80000000u, a, b, c, d);
    max_ext = a;
    if (max_ext > 0x80000000u) {
      __cpuid(0x80000001u, a, b, c, d);
      ext1_edx = d;
    }
  }
  char vendor[12];
  for (int i = 0; i < 12; ++i) vendor[i] = __atomic_load_n(&g_vendor[i], __ATOMIC_RELAXED);
  __atomic_store_n(&cpu_features, features_from_cpuid(vendor, max_leaf, leaf1_edx, max_ext, ext1_edx),
                   __ATOMIC_RELAXED);
}

uint32_t wide_features_from_cpuid(uint32_t max_leaf, uint32_t leaf1_ecx, uint32_t leaf7_ebx,
                                  uint32_t leaf7_ecx, uint64_t xcr0) {
  uint32_t word = kWideDetected;
  constexpr uint32_t kOsxsave = 1u << 27, kAvx = 1u << 28;
  constexpr uint32_t kAvx2 = 1u << 5;
  constexpr uint32_t kAvx512 = 1u << 16 | 1u << 30 | 1u << 31;   // F, BW, VL
  constexpr uint32_t kAvx512Vbmi = 1u << 1;
  constexpr uint64_t kSseAvxState = 0x6, kAvx512State = 0xE0;   // XCR0: XMM, YMM; opmask, ZMM
  // Without OSXSAVE the operating system does not save the YMM registers
  // and XCR0 cannot be read: no wide row.
  if (max_leaf < 7 || (leaf1_ecx & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return word;
  if ((xcr0 & kSseAvxState) != kSseAvxState || !(leaf7_ebx & kAvx2)) return word;
  word |= kWideAvx2;
  if ((xcr0 & kAvx512State) == kAvx512State && (leaf7_ebx & kAvx512) == kAvx512 && (leaf7_ecx & kAvx512Vbmi))
    word |= kWideAvx512;
  return word;
}

void detect_wide_features() {
  uint32_t a = 0, b = 0, c = 0, d = 0;
  __cpuid(0, a, b, c, d);
  const uint32_t max_leaf = a;
  uint32_t leaf1_ecx = 0, leaf7_ebx = 0, leaf7_ecx = 0;
  uint64_t xcr0 = 0;
  if (max_leaf >= 1) {
    __cpuid(1, a, b, c, d);
    leaf1_ecx = c;
  }
  if (max_leaf >= 7) {
    __cpuid_count(7, 0, a, b, c, d);
    leaf7_ebx = b;
    leaf7_ecx = c;
  }
  if (leaf1_ecx & (1u << 27)) {
    // XCR0: which register states the operating system saves. Inline
    // assembly, as the baseline build has no XSAVE intrinsics.
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    xcr0 = uint64_t{hi} << 32 | lo;
  }
  g_wide_features.store(wide_features_from_cpuid(max_leaf, leaf1_ecx, leaf7_ebx, leaf7_ecx, xcr0),
                        std::memory_order_relaxed);
}

const char* cpu_vendor() {
  cpu_features_detected();
  return g_vendor;
}

}  // namespace pplcam
