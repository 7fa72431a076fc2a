// Worked cases of the interlaced converters on every kernel path of the machine: when the
// motion test must and must not fire, the edges of a line and of the
// registers, the frame count and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_interlaced_support.h"

namespace pplcam::test {
namespace {

using model::IntlOut;
using model::YuvInput;

constexpr IntlSizes k720{720, 480, 720, 480};
constexpr int kLineBytes = 2 * 720, kFieldLines = 240;

int chroma_at(YuvInput in, int word) { return 2 * word + (in == YuvInput::kYuyv ? 1 : 0); }

// The packed motion-adaptive converters, each beside its plain twin.
struct PackedPair {
  const IntlCase& motion;
  const IntlCase& weave;
};
const PackedPair kPackedPairs[] = {{kIntlCases[0], kIntlCases[1]}, {kIntlCases[2], kIntlCases[3]}};

// The plain weave of the fields in their own order (720 x 480).
std::vector<uint8_t> weave(const FieldSet& f) {
  std::vector<uint8_t> out(2 * k720.field_bytes());
  for (int k = 0; k < kFieldLines; ++k) {
    std::memcpy(&out[(2 * k) * kLineBytes], &f.first[k * kLineBytes], kLineBytes);
    std::memcpy(&out[(2 * k + 1) * kLineBytes], &f.second[k * kLineBytes], kLineBytes);
  }
  return out;
}

// `woven` with the chroma of word i of second-field line k interpolated.
void interpolate(std::vector<uint8_t>& woven, const FieldSet& f, YuvInput in, int k, int i) {
  const int at = chroma_at(in, i);
  woven[(2 * k + 1) * kLineBytes + at] = static_cast<uint8_t>(
      (f.first[k * kLineBytes + at] + f.first[(k + 1) * kLineBytes + at] + 1) >> 1);
}

std::vector<uint8_t> run(PathId p, const IntlCase& c, ppl_context* ctx, const FieldSet& f,
                         const IntlSizes& s = k720) {
  std::vector<uint8_t> dst(s.dst_bytes(c.output), 0xA5);
  EXPECT_EQ(run_intl_on_path(p, c.convert, ctx, f, dst, s), 1) << c.name << " " << path_name(p);
  EXPECT_EQ(last_path(ctx), p);
  return dst;
}

// All differences equal: no word moves, except at threshold 0 the first and
// last word of a line, whose outer neighbour counts as no change.
TEST(InterlacedExamples, UniformChangeMovesOnlyTheLineEndsAtThresholdZero) {
  ScopedContext ctx;
  for (const PackedPair& pair : kPackedPairs) {
    const YuvInput in = pair.motion.input;
    FieldSet f = random_fields(k720, 3);
    for (int k = 0; k < kFieldLines; ++k)
      for (int i = 0; i < 720; ++i) {
        uint8_t& r = f.ref[k * kLineBytes + chroma_at(in, i)];
        r = std::min<uint8_t>(r, 200);
        f.second[k * kLineBytes + chroma_at(in, i)] = static_cast<uint8_t>(r + 7);
      }
    ppl_set_intl_3T_threshold(ctx, 50);   // line ends: spread 28
    for (PathId p : machine_paths())
      EXPECT_EQ(describe_difference(run(p, pair.motion, ctx, f), weave(f)), "") << path_name(p);

    ppl_set_intl_3T_threshold(ctx, 0);
    std::vector<uint8_t> want = weave(f);
    for (int k = 0; k + 1 < kFieldLines; ++k) {
      interpolate(want, f, in, k, 0);
      interpolate(want, f, in, k, 719);
    }
    for (PathId p : machine_paths())
      EXPECT_EQ(describe_difference(run(p, pair.motion, ctx, f), want), "") << path_name(p);
  }
}

// One changed reference byte marks its word and the two beside it, also
// across register edges (words 3/4 of 8-byte registers, 7/8 of 16-byte ones) and at
// the ends of the line.
TEST(InterlacedExamples, OneChangedChromaByteMarksAtMostThreeWords) {
  ScopedContext ctx;
  ppl_set_intl_3T_threshold(ctx, 0);
  for (const PackedPair& pair : kPackedPairs) {
    const YuvInput in = pair.motion.input;
    for (int word : {0, 3, 4, 7, 8, 15, 16, 355, 719}) {
      FieldSet f = random_fields(k720, 4 + word);
      f.ref = f.second;
      const int k = 17;
      f.ref[k * kLineBytes + chroma_at(in, word)] ^= 0x40;
      std::vector<uint8_t> want = weave(f);
      for (int i = std::max(0, word - 1); i <= std::min(719, word + 1); ++i) interpolate(want, f, in, k, i);
      for (PathId p : machine_paths())
        EXPECT_EQ(describe_difference(run(p, pair.motion, ctx, f), want), "")
            << pair.motion.name << " word " << word << " " << path_name(p);
    }
  }
}

// Differences 255, -255, 255 spread to 2040: motion even at 765.
TEST(InterlacedExamples, LargestThresholdStillLetsMotionThrough) {
  ScopedContext ctx;
  ASSERT_EQ(ppl_set_intl_3T_threshold(ctx, 765), 1);
  for (const PackedPair& pair : kPackedPairs) {
    const YuvInput in = pair.motion.input;
    FieldSet f = random_fields(k720, 5);
    f.ref = f.second;
    const int k = 100;
    const int pattern[3][2] = {{0, 255}, {255, 0}, {0, 255}};   // {ref, second} of words 40..42
    for (int j = 0; j < 3; ++j) {
      f.ref[k * kLineBytes + chroma_at(in, 40 + j)] = static_cast<uint8_t>(pattern[j][0]);
      f.second[k * kLineBytes + chroma_at(in, 40 + j)] = static_cast<uint8_t>(pattern[j][1]);
    }
    // Word 41 spreads 2040, words 40 and 42 1530, words 39 and 43 1020.
    std::vector<uint8_t> want = weave(f);
    for (int i = 39; i <= 43; ++i) interpolate(want, f, in, k, i);
    for (PathId p : machine_paths())
      EXPECT_EQ(describe_difference(run(p, pair.motion, ctx, f), want), "") << path_name(p);
  }
}

TEST(InterlacedExamples, EveryCallCountsOneFrameAndRefusedSizesWriteNothing) {
  ScopedContext ctx;
  const FieldSet f = random_fields(k720, 9);
  for (const IntlCase& c : kIntlCases) {
    const uint32_t before = ppl_n_frame(ctx);
    run(machine_paths().back(), c, ctx, f);
    EXPECT_EQ(ppl_n_frame(ctx), before + 1) << c.name;
    // 720 x 480 into 360 x 240 is not a size pair: refused before the kernel.
    std::vector<uint8_t> dst(k720.dst_bytes(c.output), 0xA5);
    EXPECT_EQ(run_intl_on_path(machine_paths().back(), c.convert, ctx, f, dst, {720, 480, 360, 240}), 0);
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](uint8_t b) { return b == 0xA5; })) << c.name;
    EXPECT_EQ(ppl_n_frame(ctx), before + 1) << c.name;
  }
}

// A geometry set outside the size table (here 136 x 50 through
// ppl_new_frame_size) reaches the kernel, which writes nothing.
TEST(InterlacedExamples, GeometryTheWalkCannotCoverIsRefused) {
  ScopedContext ctx;
  ASSERT_EQ(ppl_new_frame_size(ctx, 136, 50), 1);
  const IntlSizes s{136, 50, 136, 50};
  const FieldSet f = random_fields(s, 10);
  for (const IntlCase& c : kIntlCases) {
    std::vector<uint8_t> dst(s.dst_bytes(c.output), 0xA5);
    const uint32_t before = ppl_n_frame(ctx);
    EXPECT_EQ(run_intl_on_path(machine_paths().back(), c.convert, ctx, f, dst, s), 0) << c.name;
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](uint8_t b) { return b == 0xA5; })) << c.name;
    EXPECT_EQ(ppl_n_frame(ctx), before + 1);
  }
}

}  // namespace
}  // namespace pplcam::test
