// CPU feature detection (the bits the paths depend on, and the AMD rule)
// and the choice of a path.
#include <gtest/gtest.h>

#include "api/dispatch.h"
#include "pplcam/pplcam_ext.h"
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

// Between the MMX and the SSE2 rows: the wider one needs its alignment, its
// features, a limit that allows it, no P3_only and, for a Bayer frame, a
// width its groups divide; the MMX row is the floor of a processing
// operation, and what a converter needs to run a kernel at all.
TEST(PathChoice, WidestRowTheCallMeetsWithTheMmxRowAsTheFloor) {
  ScopedContext c;
  AlignedBuffer a16(64, Align::k16), b16(64, Align::k16), a8(64, Align::k8Not16), odd(64, Align::kOdd);
  const struct {
    const char* what;
    void* second;
    PathId limit;
    uint8_t p3_only;
    uint32_t hidden;
    int32_t bayer_width;
    PathId path;
    bool converter_runs;
  } rows[] = {
      {"16-byte aligned", b16.data(), PathId::kSse2, 0, 0, 0, PathId::kSse2, true},
      {"a Bayer width of whole 16-byte groups", b16.data(), PathId::kSse2, 0, 0, 640, PathId::kSse2, true},
      {"a Bayer width of 8-byte groups", b16.data(), PathId::kSse2, 0, 0, 648, PathId::kMmx, true},
      {"8-byte aligned", a8.data(), PathId::kSse2, 0, 0, 0, PathId::kMmx, true},
      {"odd address", odd.data(), PathId::kSse2, 0, 0, 0, PathId::kMmx, false},
      {"limited to MMX", b16.data(), PathId::kMmx, 0, 0, 0, PathId::kMmx, true},
      {"P3_only", b16.data(), PathId::kSse2, 1, 0, 0, PathId::kMmx, true},
      {"no SSE2", b16.data(), PathId::kSse2, 0, kCpuSse2, 0, PathId::kMmx, true},
      {"no kernel path", b16.data(), PathId::kSse2, 0, kCpuMmxPath | kCpuSse2, 0, PathId::kMmx, false},
  };
  for (const auto& row : rows) {
    const void* buffers[] = {a16.data(), row.second};
    ScopedCpuFeatures features(row.hidden);
    ASSERT_EQ(ppl_ext_set_path_limit(c, static_cast<int32_t>(row.limit)), 1);
    c->P3_only = row.p3_only;
    EXPECT_EQ(choose_path(Caller::kProcessing, c, buffers, 2, row.bayer_width), row.path) << row.what;
    EXPECT_EQ(choose_path(Caller::kConverter, c, buffers, 2) != PathId::kNone, row.converter_runs) << row.what;
  }
}

// The extension controls: the limit refuses ids the build does not know,
// survives ppl_reset_all_controls and is reset by ppl_init; the last path
// is the one that ran, NONE when no kernel did.
TEST(PathChoice, LimitAndLastPathControls) {
  const int32_t widest = static_cast<int32_t>(kWidestPath);
  ppl_context* c = ppl_init();
  EXPECT_EQ(ppl_ext_path_limit(c), widest);
  EXPECT_EQ(ppl_ext_last_path(c), PPL_EXT_PATH_NONE);
  for (int32_t id : {PPL_EXT_PATH_NONE, -1, widest + 1}) {
    EXPECT_EQ(ppl_ext_set_path_limit(c, id), 0) << id;
    EXPECT_EQ(ppl_ext_path_name(id) == nullptr, id != PPL_EXT_PATH_NONE) << id;
  }
  EXPECT_EQ(ppl_ext_path_limit(c), widest);
  EXPECT_STREQ(ppl_ext_path_name(PPL_EXT_PATH_MMX), "mmx");
  EXPECT_STREQ(ppl_ext_path_name(PPL_EXT_PATH_SSE2), "sse2");
  EXPECT_EQ(ppl_ext_available_paths() >> (widest + 1), 0u) << "only paths of this build";

  ASSERT_EQ(ppl_ext_set_path_limit(c, PPL_EXT_PATH_MMX), 1);
  AlignedBuffer src(64 * 8, Align::k16), dst(64 * 8 * 3, Align::k16);
  EXPECT_EQ(BaylorToRGB24MMX(c, src.data(), dst.data(), 64, 8), 1);
  EXPECT_EQ(ppl_ext_last_path(c), PPL_EXT_PATH_MMX);
  EXPECT_EQ(BaylorToRGB24MMX(c, src.data() + 1, dst.data(), 64, 8), 0);
  EXPECT_EQ(ppl_ext_last_path(c), PPL_EXT_PATH_MMX) << "the fallback fill leaves the context alone";
  EXPECT_EQ(BaylorToRGB24MMX(c, src.data(), dst.data(), 4096, 8), 0);
  EXPECT_EQ(ppl_ext_last_path(c), PPL_EXT_PATH_NONE) << "refused size";

  ppl_reset_all_controls(c);
  EXPECT_EQ(ppl_ext_path_limit(c), PPL_EXT_PATH_MMX);
  ppl_free(c);
  ASSERT_EQ(ppl_init(), c);
  EXPECT_EQ(ppl_ext_path_limit(c), widest);
  ppl_free(c);
}

}  // namespace
}  // namespace pplcam::test
