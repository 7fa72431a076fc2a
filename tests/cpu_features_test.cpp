// CPU feature detection: the bits the two paths depend on, and the AMD rule.
#include <gtest/gtest.h>

#include "api/dispatch.h"
#include "core/cpu_features.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

constexpr char kIntel[13] = "GenuineIntel";
constexpr char kAmd[13] = "AuthenticAMD";

TEST(CpuFeatures, IntegerExtensionsComeFromSseOrTheAmdExtensions) {
  const uint32_t sse_sse2 = kCpuSse | kCpuSse2 | kCpuMmx | kCpuTsc;
  EXPECT_EQ(features_from_cpuid(kIntel, 1, sse_sse2, 0x80000000u, 0),
            kCpuDetected | sse_sse2 | kCpuMmxPath);
  // A processor with MMX only (no SSE, no AMD extensions) gets no kernel path.
  EXPECT_EQ(features_from_cpuid(kIntel, 1, kCpuMmx, 0x80000008u, kCpuAmdMmxExt),
            kCpuDetected | kCpuMmx);
  // The same extended bits count on an AMD processor.
  EXPECT_EQ(features_from_cpuid(kAmd, 1, kCpuMmx, 0x80000008u, kCpuAmdMmxExt | kCpu3DNow | kCpu3DNowExt),
            kCpuDetected | kCpuMmx | kCpuAmdMmxExt | kCpu3DNow | kCpu3DNowExt | kCpuMmxPath);
  // Only bit 31 of the extended leaf counts for other vendors.
  EXPECT_EQ(features_from_cpuid(kIntel, 1, 0, 0x80000001u, 0xFFFFFFFFu), kCpuDetected | kCpu3DNow);
  // No extended leaves above 0x80000000: the extended word is not read.
  EXPECT_EQ(features_from_cpuid(kAmd, 1, 0, 0x80000000u, 0xFFFFFFFFu), kCpuDetected);
  // Maximum leaf 0: nothing but the detection bit.
  EXPECT_EQ(features_from_cpuid(kIntel, 0, 0xFFFFFFFFu, 0x80000008u, 0xFFFFFFFFu), kCpuDetected);
  // Leaf 1 contributes exactly TSC, MMX, SSE and SSE2.
  EXPECT_EQ(features_from_cpuid(kIntel, 1, 0xFFFFFFFFu, 0, 0) & ~kCpuMmxPath, kCpuDetected | 0x06800010u);
}

TEST(CpuFeatures, DetectionOnThisMachineAllowsBothPaths) {
  const uint32_t saved = cpu_features;
  cpu_features = 0;
  const uint32_t f = cpu_features_detected();
  cpu_features = saved;
  EXPECT_TRUE(f & kCpuDetected);
  EXPECT_TRUE(f & kCpuMmxPath) << "every x86-64 has SSE";
  EXPECT_TRUE(f & kCpuSse2) << "every x86-64 has SSE2";
  EXPECT_EQ(std::string(cpu_vendor(), 12).size(), 12u);
}

TEST(PathChoice, Sse2NeedsAlignmentTheFeatureAndNoP3Only) {
  ScopedContext c;
  AlignedBuffer a16(64, Align::k16), b16(64, Align::k16), a8(64, Align::k8Not16);
  const void* both16[] = {a16.data(), b16.data()};
  const void* one8[] = {a16.data(), a8.data()};
  EXPECT_TRUE(use_sse2_path(c, both16, 2));
  EXPECT_FALSE(use_sse2_path(c, one8, 2));
  c->P3_only = 1;
  EXPECT_FALSE(use_sse2_path(c, both16, 2));
  c->P3_only = 0;
  ScopedCpuFeatures no_sse2(kCpuSse2);
  EXPECT_FALSE(use_sse2_path(c, both16, 2));
}

}  // namespace
}  // namespace pplcam::test
