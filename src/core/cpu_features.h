// Processor feature detection (CPUID) and the process-wide feature word.
#pragma once

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

// Runs CPUID and fills cpu_features (and the vendor string).
void detect_cpu_features();

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

// The 12-byte vendor string of CPUID leaf 0 (EBX, EDX, ECX), not terminated.
const char* cpu_vendor();

// The feature word detection would produce from raw CPUID register values.
// Separate from the CPUID calls so that the AMD rule can be checked anywhere.
uint32_t features_from_cpuid(const char vendor[12], uint32_t max_leaf, uint32_t leaf1_edx,
                             uint32_t max_ext_leaf, uint32_t ext1_edx);

}  // namespace pplcam
