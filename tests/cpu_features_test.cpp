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

// The wide rows need the processor's bits and the operating system's
// saving of their registers (OSXSAVE, then XCR0), each one missing alone.
TEST(CpuFeatures, WideRowsNeedTheProcessorAndTheSavedRegisterState) {
  constexpr uint32_t kOs = 1u << 27 | 1u << 28;                     // OSXSAVE, AVX
  constexpr uint32_t kAvx2 = 1u << 5, kAvx512 = 1u << 16 | 1u << 30 | 1u << 31;   // F, BW, VL
  constexpr uint32_t kVbmi = 1u << 1;
  constexpr uint32_t kBoth = kWideDetected | kWideAvx2 | kWideAvx512, kAvx2Only = kWideDetected | kWideAvx2;
  const struct {
    const char* what;
    uint32_t max_leaf, leaf1_ecx, leaf7_ebx, leaf7_ecx;
    uint64_t xcr0;
    uint32_t word;
  } rows[] = {
      {"everything", 0xD, kOs, kAvx2 | kAvx512, kVbmi, 0xE7, kBoth},
      {"no leaf 7", 6, kOs, kAvx2 | kAvx512, kVbmi, 0xE7, kWideDetected},
      {"no OSXSAVE", 0xD, 1u << 28, kAvx2 | kAvx512, kVbmi, 0xE7, kWideDetected},
      {"no AVX", 0xD, 1u << 27, kAvx2 | kAvx512, kVbmi, 0xE7, kWideDetected},
      {"YMM state not saved", 0xD, kOs, kAvx2 | kAvx512, kVbmi, 0xE3, kWideDetected},
      {"no AVX2", 0xD, kOs, kAvx512, kVbmi, 0xE7, kWideDetected},
      {"ZMM state not saved", 0xD, kOs, kAvx2 | kAvx512, kVbmi, 0x67, kAvx2Only},
      {"no VBMI", 0xD, kOs, kAvx2 | kAvx512, 0, 0xE7, kAvx2Only},
      {"no BW", 0xD, kOs, kAvx2 | 1u << 16 | 1u << 31, kVbmi, 0xE7, kAvx2Only},
      {"no VL", 0xD, kOs, kAvx2 | 1u << 16 | 1u << 30, kVbmi, 0xE7, kAvx2Only},
  };
  for (const auto& r : rows)
    EXPECT_EQ(wide_features_from_cpuid(r.max_leaf, r.leaf1_ecx, r.leaf7_ebx, r.leaf7_ecx, r.xcr0), r.word) << r.what;
}

// Between the rows: a wider one needs its alignment, its features (a wide
// row SSE2's too), a limit that allows it, no P3_only and, for a Bayer
// frame, a width its groups divide; the MMX row is the floor of a processing
// operation, and what a converter needs to run a kernel at all. Rows that
// expect a wide row this machine lacks are skipped.
TEST(PathChoice, WidestRowTheCallMeetsWithTheMmxRowAsTheFloor) {
  ScopedContext c;
  AlignedBuffer a16(64, Align::k16), b16(64, Align::k16), a8(64, Align::k8Not16), odd(64, Align::kOdd);
  const struct {
    const char* what;
    void* second;
    PathId limit;
    uint8_t p3_only;
    CpuFeatureSet hidden;
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
      {"the widest row", b16.data(), PathId::kAvx512, 0, 0, 640, PathId::kAvx512, true},
      {"no AVX-512", b16.data(), PathId::kAvx512, 0, kCpuAvx512, 0, PathId::kAvx2, true},
      {"no AVX2", b16.data(), PathId::kAvx512, 0, kCpuAvx2, 0, PathId::kSse2, true},
      {"no SSE2 under a wide limit", b16.data(), PathId::kAvx512, 0, kCpuSse2, 0, PathId::kMmx, true},
      {"8-byte aligned under a wide limit", a8.data(), PathId::kAvx512, 0, 0, 0, PathId::kMmx, true},
  };
  for (const auto& row : rows) {
    if (path_traits(row.path).wide_state && !path_runs_here(row.path)) continue;
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
  // A query before the features are detected (both words empty) detects
  // them and reports them at once.
  const uint32_t paths = ppl_ext_available_paths();
  {
    ScopedCpuFeatures undetected(~CpuFeatureSet{0});
    EXPECT_EQ(ppl_ext_available_paths(), paths) << "the query that detects the features";
  }
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
