// The exported converters' fallback: when a kernel cannot run (misaligned
// buffer, processor without the MMX integer extensions, floating-point save
// refused) each writes exactly its fill, nothing beyond it, reads no source
// beyond its size, and returns 0.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

using Bytes = std::vector<uint8_t>;

// Expected fill: segments of copies (with 128 past the end of the source)
// and constant runs.
struct Fill {
  Bytes bytes;
  Fill& copy(const Bytes& src, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes.push_back(i < src.size() ? src[i] : 128);
    return *this;
  }
  Fill& value(uint8_t v, size_t n) {
    bytes.insert(bytes.end(), n, v);
    return *this;
  }
};

enum class Failure { kOddSource, kNoIntegerExtensions, kFpSaveRefused };
const char* const kFailureNames[] = {"OddSource", "NoIntegerExtensions", "FpSaveRefused"};

struct Case {
  std::string name;
  std::vector<size_t> source_sizes;   // one per source buffer
  // Calls the converter; sources in order, then the destination.
  std::function<uint8_t(ppl_context*, std::vector<uint8_t*>&, uint8_t*)> call;
  std::function<Fill(const std::vector<Bytes>&)> expected;
};

constexpr int W = 64, H = 16, N = W * H;

#define BAYER(fn, fill_expr)                                                               \
  Case{#fn, {N}, [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) { return fn(c, s[0], d, W, H); }, \
       [](const std::vector<Bytes>& src) { (void)src; return Fill() fill_expr; }}

// Progressive converters run with a 16x8 input and a 32x16 output, so the
// copy runs past the end of the source.
constexpr int IW = 16, IH = 8, OW = 32, OH = 16, ON = OW * OH;
#define YUV(fn, src_bytes, fill_expr)                                                      \
  Case{#fn, {src_bytes}, [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) {        \
         return fn(c, s[0], d, IW, IH, OW, OH); },                                         \
       [](const std::vector<Bytes>& src) { (void)src; return Fill() fill_expr; }}

constexpr size_t kField = IW * IH;
#define INTL(fn, fill_expr)                                                                \
  Case{#fn, {kField, kField, kField}, [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) { \
         return fn(c, s[0], s[1], s[2], d, IW, IH, OW, OH); },                             \
       [](const std::vector<Bytes>& src) { (void)src; return Fill() fill_expr; }}

// The fills of P output pixels: luma copied with neutral chroma, or white.
#define YUV_FILL(src, P) .copy(src, P).value(128, (P) / 2)
#define RGB_FILL(bytes, P) .value(255, (bytes) * (P))
// A Bayer converter in its three modes, an interlaced one with and without
// the motion test.
#define BAYER3(fn, fill) BAYER(fn, fill(N)), BAYER(fn##_deci_2_1, fill(N / 4)), BAYER(fn##_intp_1_2, fill(4 * N))
#define BAYER_YUV(P) YUV_FILL(src[0], P)
#define BAYER_RGB24(P) RGB_FILL(3, P)
#define BAYER_RGB32(P) RGB_FILL(4, P)
#define INTL2(fn, fill_expr) INTL(fn, fill_expr), INTL(fn##_no_motion, fill_expr)

std::vector<Case> all_converters() {
  return {
      BAYER3(BaylorToI420MMX, BAYER_YUV), BAYER3(BaylorToYUYVMMX, BAYER_YUV), BAYER3(BaylorToUYVYMMX, BAYER_YUV),
      BAYER3(BaylorToRGB24MMX, BAYER_RGB24), BAYER3(BaylorToRGB32MMX, BAYER_RGB32),
      YUV(YUYVToI420MMX, 2 * IW * IH, YUV_FILL(src[0], ON)), YUV(UYVYToI420MMX, 2 * IW * IH, YUV_FILL(src[0], ON)),
      YUV(YUYVToRGB24MMX, 2 * IW * IH, RGB_FILL(3, ON)), YUV(UYVYToRGB24MMX, 2 * IW * IH, RGB_FILL(3, ON)),
      YUV(YUYVYYYYToI420MMX, 3 * IW * IH / 2, YUV_FILL(src[0], ON)),
      YUV(UYVYYYYYToI420MMX, 3 * IW * IH / 2, YUV_FILL(src[0], ON)),
      YUV(RGB24ToRGB32MMX, 3 * IW * IH, RGB_FILL(4, ON)),
      INTL2(IntlYUYVToYUYVMMX, .copy(src[1], ON).copy(src[2], ON)),
      INTL2(IntlUYVYToUYVYMMX, .copy(src[1], ON).copy(src[2], ON)),
      INTL2(IntlUYVYToYUYVMMX, .copy(src[1], ON).copy(src[2], ON)),
      INTL2(IntlYUYVToI420MMX, YUV_FILL(src[1], ON)), INTL2(IntlUYVYToI420MMX, YUV_FILL(src[1], ON)),
      INTL2(IntlYUYVToRGB24MMX, RGB_FILL(3, ON)), INTL2(IntlUYVYToRGB24MMX, RGB_FILL(3, ON)),
      // Odd sizes: a field of odd in_height holds in_height/2 lines; a
      // 12-bit line of odd width 3 x width / 2 bytes rounded down; half
      // size of an odd height fills n/4 pixels, a line more than the picture.
      Case{"IntlYUYVToI420MMX 16x9", {2 * 16 * 4, 2 * 16 * 4, 2 * 16 * 4},
           [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) { return IntlYUYVToI420MMX(c, s[0], s[1], s[2], d, 16, 9, OW, OH); },
           [](const std::vector<Bytes>& src) { return Fill().copy(src[1], ON).value(128, ON / 2); }},
      Case{"YUYVYYYYToI420MMX 33x7", {49 * 7},
           [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) { return YUYVYYYYToI420MMX(c, s[0], d, 33, 7, 40, 40); },
           [](const std::vector<Bytes>& src) { return Fill().copy(src[0], 1600).value(128, 800); }},
      Case{"BaylorToRGB24MMX_deci_2_1 64x17", {64 * 17},
           [](ppl_context* c, std::vector<uint8_t*>& s, uint8_t* d) { return BaylorToRGB24MMX_deci_2_1(c, s[0], d, 64, 17); },
           [](const std::vector<Bytes>&) { return Fill().value(255, 3 * (64 * 17 / 4)); }},
  };
}

class FallbackTest : public ::testing::TestWithParam<Failure> {};

TEST_P(FallbackTest, EveryConverterWritesExactlyItsFill) {
  const std::vector<Case> cases = all_converters();
  ASSERT_EQ(cases.size(), 39u);
  ScopedContext ctx;
  uint32_t seed = 1;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    // Sources end at a guard page (or sit at an odd address), so a read
    // past their size crashes.
    std::vector<std::unique_ptr<GuardedBuffer>> guarded;
    std::vector<std::unique_ptr<AlignedBuffer>> odd;
    std::vector<uint8_t*> srcs;
    std::vector<Bytes> contents;
    for (size_t size : k.source_sizes) {
      uint8_t* p;
      if (GetParam() == Failure::kOddSource && srcs.empty()) {
        odd.push_back(std::make_unique<AlignedBuffer>(size, Align::kOdd));
        p = odd.back()->data();
      } else {
        guarded.push_back(std::make_unique<GuardedBuffer>(size, Guard::kAfter, 8));
        p = guarded.back()->data();
      }
      fill_random(p, size, seed++);
      srcs.push_back(p);
      contents.emplace_back(p, p + size);
    }
    const Bytes want = k.expected(contents).bytes;
    GuardedBuffer dst(want.size(), Guard::kAfter, 8);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(dst.data() + want.size()) % 4096, 0u) << "fill must end at the guard";
    std::fill(dst.data(), dst.data() + want.size(), 0x5A);

    uint8_t result;
    if (GetParam() == Failure::kNoIntegerExtensions) {
      ScopedCpuFeatures no_mmx_path(kCpuMmxPath);
      result = k.call(ctx, srcs, dst.data());
    } else if (GetParam() == Failure::kFpSaveRefused) {
      ScopedFpSaveFailure fail;
      result = k.call(ctx, srcs, dst.data());
    } else {
      result = k.call(ctx, srcs, dst.data());
    }
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), dst.data()));
    for (size_t i = 0; i < srcs.size(); ++i)
      EXPECT_TRUE(std::equal(contents[i].begin(), contents[i].end(), srcs[i])) << "source " << i << " changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Failures, FallbackTest,
                         ::testing::Values(Failure::kOddSource, Failure::kNoIntegerExtensions,
                                           Failure::kFpSaveRefused),
                         [](const auto& info) { return std::string(kFailureNames[static_cast<int>(info.param)]); });

// Null buffers and negative sizes are refused before any fill; a kernel that
// can run but is handed a size the geometry refuses returns 0 too. Neither
// writes anything, and the context keeps its geometry.
TEST(Fallback, RefusedCallsWriteNothing) {
  ScopedContext ctx;
  AlignedBuffer odd(64, Align::kOdd), src(4096, Align::k16), dst(4096, Align::k16);
  std::fill(dst.data(), dst.data() + 4096, 7);
  ASSERT_EQ(ppl_new_frame_size(ctx, 320, 240), 1);
  EXPECT_EQ(BaylorToI420MMX(ctx, nullptr, dst.data(), 8, 8), 0);
  EXPECT_EQ(BaylorToI420MMX(ctx, odd.data(), nullptr, 8, 8), 0);
  EXPECT_EQ(BaylorToRGB24MMX(ctx, odd.data(), dst.data(), -8, 8), 0);
  EXPECT_EQ(YUYVToI420MMX(ctx, odd.data(), dst.data(), 8, 8, 8, -8), 0);
  EXPECT_EQ(BaylorToI420MMX(ctx, src.data(), dst.data(), 1296, 2), 0);
  EXPECT_EQ(YUYVToI420MMX(ctx, src.data(), dst.data(), 64, 16, 64, 16), 0);
  EXPECT_EQ(IntlYUYVToYUYVMMX(ctx, src.data(), src.data(), src.data(), dst.data(), 640, 480, 352, 240), 0);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(dst[i], 7);
  EXPECT_EQ(ctx->in_width, 320) << "a refused size leaves the geometry as it was";
  EXPECT_EQ(ctx->in_height, 240);
}

}  // namespace
}  // namespace pplcam::test
