// Interlaced input: the tool splits each frame into its two fields and
// hands the previous frame's second field to the library as reference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "cli_support.h"

namespace cli_test {
namespace {

constexpr int kW = 640, kH = 480;
constexpr size_t kField = size_t(kW) * 2 * (kH / 2);
constexpr size_t kI420 = size_t(kW) * kH * 3 / 2;

std::vector<uint8_t> random_frames(int count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(2 * kField * count);
  for (uint8_t& b : v) b = uint8_t(rng());
  return v;
}

// The library's I420 picture of one field pair, with 16-byte aligned copies.
std::vector<uint8_t> library_i420(const uint8_t* ref, const uint8_t* first, const uint8_t* second, bool* written) {
  auto copy = [](const uint8_t* p, size_t n) {
    uint8_t* q = static_cast<uint8_t*>(std::aligned_alloc(64, (n + 63) / 64 * 64));
    std::memcpy(q, p, n);
    return q;
  };
  uint8_t* r = copy(ref, kField);
  uint8_t* f1 = copy(first, kField);
  uint8_t* f2 = copy(second, kField);
  uint8_t* dst = static_cast<uint8_t*>(std::aligned_alloc(64, kI420));
  std::memset(dst, 0xA5, kI420);
  ppl_context* ctx = ppl_init();
  IntlYUYVToI420MMX(ctx, r, f1, f2, dst, kW, kH, kW, kH);
  ppl_free(ctx);
  std::vector<uint8_t> out(dst, dst + kI420);
  *written = false;
  for (uint8_t b : out) *written |= b != 0xA5;
  for (uint8_t* p : {r, f1, f2, dst}) std::free(p);
  return out;
}

TEST(CliInterlaced, PreviousSecondFieldIsTheReference) {
  TempDir dir;
  const std::vector<uint8_t> in = random_frames(2, 11);
  write_bytes(dir.file("in.yuyv"), in);
  const uint8_t* f0 = in.data();
  const uint8_t* f1 = in.data() + 2 * kField;
  bool written0 = false, written1 = false;
  // Frame 0 has no predecessor: its own second field stands in.
  std::vector<uint8_t> expected = library_i420(f0 + kField, f0, f0 + kField, &written0);
  const std::vector<uint8_t> second = library_i420(f0 + kField, f1, f1 + kField, &written1);
  expected.insert(expected.end(), second.begin(), second.end());

  const RunResult r =
      run_tool("convert " + dir.file("in.yuyv") + " --from intl-yuyv -s 640x480 -o " + dir.file("out.i420"));
  if (!written0) {
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_NE(r.err.find("not available in this build"), std::string::npos) << r.err;
    EXPECT_FALSE(exists(dir.file("out.i420")));
    return;
  }
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(read_bytes(dir.file("out.i420")), expected);
}

TEST(CliInterlaced, WovenFramesAreSplitIntoTheSameFields) {
  TempDir dir;
  const std::vector<uint8_t> seq = random_frames(2, 12);
  std::vector<uint8_t> woven(seq.size());
  const size_t line = size_t(kW) * 2;
  for (int f = 0; f < 2; ++f)
    for (int y = 0; y < kH; ++y) {
      const size_t from = f * 2 * kField + (y % 2 ? kField : 0) + (y / 2) * line;
      std::memcpy(woven.data() + f * 2 * kField + y * line, seq.data() + from, line);
    }
  write_bytes(dir.file("seq.yuyv"), seq);
  write_bytes(dir.file("woven.yuyv"), woven);
  const RunResult a = run_tool("convert " + dir.file("seq.yuyv") + " --from intl-yuyv -s 640x480 --no-motion -o " +
                               dir.file("a.i420"));
  const RunResult b = run_tool("convert " + dir.file("woven.yuyv") +
                               " --from intl-yuyv --woven -s 640x480 --no-motion -o " + dir.file("b.i420"));
  ASSERT_EQ(a.exit_code, b.exit_code) << a.err << b.err;
  if (a.exit_code == 1) GTEST_SKIP() << a.err;
  ASSERT_EQ(a.exit_code, 0) << a.err;
  EXPECT_EQ(read_bytes(dir.file("a.i420")), read_bytes(dir.file("b.i420")));
}

}  // namespace
}  // namespace cli_test
