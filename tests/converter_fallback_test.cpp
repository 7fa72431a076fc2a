// The exported converters' fallback: when a kernel cannot run (misaligned
// buffer, processor without the MMX integer extensions, floating-point save
// refused) each writes exactly its fill, nothing beyond it, reads no source
// beyond its size, and returns 0.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "target_calls.h"

namespace pplcam::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The fill of P output pixels: white for RGB; otherwise the luma plane
// copied from the source (the first field when interlaced; 128 past its
// end) with P / 2 bytes of neutral chroma, as for I420 whatever the format;
// interlaced to packed copies both fields.
Bytes expected_fill(const FrameFunction& f, const FrameSize& s, const std::vector<Bytes>& src) {
  size_t pixels = static_cast<size_t>(s.out_w) * s.out_h;
  if (f.shape == Shape::kBayer) {
    const int mode = bayer_mode(f);
    pixels = static_cast<size_t>(s.in_w) * s.in_h;
    pixels = mode == 1 ? pixels / 4 : mode == -1 ? pixels * 4 : pixels;
  }
  if (f.output_bytes_per_pixel_x2 >= 6) return Bytes(pixels * f.output_bytes_per_pixel_x2 / 2, 255);
  Bytes fill;
  auto copy = [&](const Bytes& from) {
    for (size_t i = 0; i < pixels; ++i) fill.push_back(i < from.size() ? from[i] : 128);
  };
  copy(src[f.shape == Shape::kInterlaced ? 1 : 0]);
  if (f.shape == Shape::kInterlaced && f.output_bytes_per_pixel_x2 == 4)
    copy(src[2]);
  else
    fill.insert(fill.end(), pixels / 2, 128);
  return fill;
}

// Every converter at one size (16x8 YUV doubled to 32x16, so that the copy
// runs past the end of the source), and odd sizes: a field of odd in_height
// holds in_height/2 lines; a 12-bit line of odd width 3 x width / 2 bytes
// rounded down; half size of an odd height fills n/4 pixels, a line more
// than the picture.
std::vector<std::pair<FrameFunction, FrameSize>> all_converters() {
  const std::map<std::string, FrameSize> odd = {{"IntlYUYVToI420MMX", {16, 9, 32, 16}},
                                                {"YUYVYYYYToI420MMX", {33, 7, 40, 40}},
                                                {"BaylorToRGB24MMX_deci_2_1", {64, 17, 0, 0}}};
  std::vector<std::pair<FrameFunction, FrameSize>> cases;
  for (const FrameFunction& f : exported_frame_functions()) {
    if (is_processing(f)) continue;
    cases.push_back({f, f.shape == Shape::kBayer ? FrameSize{64, 16, 0, 0} : FrameSize{16, 8, 32, 16}});
    if (odd.count(f.name)) cases.push_back({f, odd.at(f.name)});
  }
  return cases;
}

enum class Failure { kOddSource, kNoIntegerExtensions, kFpSaveRefused };
const char* const kFailureNames[] = {"OddSource", "NoIntegerExtensions", "FpSaveRefused"};

class FallbackTest : public ::testing::TestWithParam<Failure> {};

TEST_P(FallbackTest, EveryConverterWritesExactlyItsFill) {
  const auto cases = all_converters();
  ASSERT_EQ(cases.size(), 39u);
  ScopedContext ctx;
  uint32_t seed = 1;
  for (const auto& [f, size] : cases) {
    SCOPED_TRACE(describe(f, size));
    // Sources end at a guard page, so a read past their size crashes; the
    // first one a byte past an 8-byte boundary when that is the failure.
    std::vector<std::unique_ptr<GuardedBuffer>> guarded;
    uint8_t* srcs[3] = {};
    std::vector<Bytes> contents;
    for (size_t bytes : source_bytes(f, size)) {
      const size_t odd = GetParam() == Failure::kOddSource && contents.empty() ? 1 : 0;
      guarded.push_back(std::make_unique<GuardedBuffer>(bytes + odd, Guard::kAfter, 8));
      uint8_t* p = srcs[contents.size()] = guarded.back()->data() + odd;
      fill_random(p, bytes, seed++);
      contents.emplace_back(p, p + bytes);
    }
    const Bytes want = expected_fill(f, size, contents);
    GuardedBuffer dst(want.size(), Guard::kAfter, 8);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(dst.data() + want.size()) % 4096, 0u) << "fill must end at the guard";
    std::fill(dst.data(), dst.data() + want.size(), 0x5A);

    std::optional<ScopedCpuFeatures> no_mmx_path;
    std::optional<ScopedFpSaveFailure> no_fp_save;
    if (GetParam() == Failure::kNoIntegerExtensions) no_mmx_path.emplace(kCpuMmxPath);
    if (GetParam() == Failure::kFpSaveRefused) no_fp_save.emplace();
    const uint8_t result = call_frame_function(f, ctx, srcs, dst.data(), size);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), dst.data()));
    for (size_t i = 0; i < contents.size(); ++i)
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
