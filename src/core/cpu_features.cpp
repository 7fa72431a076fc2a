#include "core/cpu_features.h"

#include <cpuid.h>

extern "C" {
uint32_t cpu_features = 0;
}

namespace pplcam {
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

const char* cpu_vendor() {
  cpu_features_detected();
  return g_vendor;
}

}  // namespace pplcam
