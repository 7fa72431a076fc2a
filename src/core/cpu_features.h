// Processor feature detection (CPUID) and the process-wide feature words.
#pragma once

#include <atomic>
#include <cstdint>

// Bit 0: detection has run; bit 24: the MMX path may run (MMX integer
// extensions present); bit 26: the SSE2 path may run. Written once, on first
// use, by whichever call needs it first; every writer writes the same bits.
extern "C" uint32_t cpu_features;

namespace pplcam {

constexpr uint32_t kCpuDetected = 1u << 0;
constexpr uint32_t kCpuTsc = 1u << 4;
constexpr uint32_t kCpuMmx = 1u << 23;
constexpr uint32_t kCpuMmxPath = 1u << 24;   // SSE or AMD MMX extensions
constexpr uint32_t kCpuSse = 1u << 25;
constexpr uint32_t kCpuSse2 = 1u << 26;
constexpr uint32_t kCpuAmdMmxExt = 1u << 22;
constexpr uint32_t kCpu3DNowExt = 1u << 30;
constexpr uint32_t kCpu3DNow = 1u << 31;

// The wide-register features live in a word of their own, so that
// cpu_features keeps exactly its documented bits. Bit 0: detection has run;
// bit 1: AVX2 usable (AVX and AVX2 present, the operating system saves the
// SSE and AVX state: OSXSAVE, XCR0 bits 1 and 2); bit 2: AVX-512 F, BW, VL
// and VBMI usable (AVX2 usable and the opmask and ZMM state saved too: XCR0
// bits 5 to 7). Written once, like cpu_features, with the same value by
// every writer (relaxed atomics: no ordering with anything else is needed).
extern std::atomic<uint32_t> g_wide_features;

constexpr uint32_t kWideDetected = 1u << 0;
constexpr uint32_t kWideAvx2 = 1u << 1;
constexpr uint32_t kWideAvx512 = 1u << 2;

// A set of features of both words, for the rows of the path table: the
// cpu_features bits in the low half, the wide word's in the high half.
using CpuFeatureSet = uint64_t;
constexpr CpuFeatureSet kCpuAvx2 = CpuFeatureSet{kWideAvx2} << 32;
constexpr CpuFeatureSet kCpuAvx512 = CpuFeatureSet{kWideAvx512} << 32;

// Runs CPUID and fills cpu_features (and the vendor string).
void detect_cpu_features();
// Runs CPUID and XGETBV and fills the wide word; cpu_features is untouched.
void detect_wide_features();

// The feature word, detecting first if it has not been filled yet.
// Threads may race on the first call: every detection writes the same
// value, and the word is read and written with relaxed atomics so that the
// race is a benign one.
inline uint32_t cpu_features_detected() {
  uint32_t word = __atomic_load_n(&cpu_features, __ATOMIC_RELAXED);
  if (word == 0) {
    detect_cpu_features();
    word = __atomic_load_n(&cpu_features, __ATOMIC_RELAXED);
  }
  return word;
}

// Both words as one set, each detected first if it has not been filled yet.
inline CpuFeatureSet cpu_feature_set() {
  uint32_t wide = g_wide_features.load(std::memory_order_relaxed);
  if (wide == 0) {
    detect_wide_features();
    wide = g_wide_features.load(std::memory_order_relaxed);
  }
  return CpuFeatureSet{wide} << 32 | cpu_features_detected();
}

// The 12-byte vendor string of CPUID leaf 0 (EBX, EDX, ECX), not terminated.
const char* cpu_vendor();

// The feature word detection would produce from raw CPUID register values.
// Separate from the CPUID calls so that the AMD rule can be checked anywhere.
uint32_t features_from_cpuid(const char vendor[12], uint32_t max_leaf, uint32_t leaf1_edx,
                             uint32_t max_ext_leaf, uint32_t ext1_edx);

// The wide word detection would produce from raw values: the maximum
// standard leaf, leaf 1 ECX, leaf 7 (sub-leaf 0) EBX and ECX, and XCR0
// (read only when leaf 1 reports OSXSAVE; pass 0 otherwise).
uint32_t wide_features_from_cpuid(uint32_t max_leaf, uint32_t leaf1_ecx, uint32_t leaf7_ebx,
                                  uint32_t leaf7_ecx, uint64_t xcr0);

}  // namespace pplcam
