// The two register widths compute every operation exactly as its scalar
// definition, lane for lane, so a kernel written once over the width gives
// the same bytes on both paths.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/simd.h"
#include "model/pixel_ops.h"

namespace pplcam::test {
namespace {

template <class S>
struct Lanes {
  static constexpr int kBytes = S::kBytes;
  alignas(16) uint8_t b[S::kBytes];
  int16_t s16(int i) const {
    int16_t v;
    std::memcpy(&v, b + 2 * i, 2);
    return v;
  }
  void set16(int i, int16_t v) { std::memcpy(b + 2 * i, &v, 2); }
};

template <class S>
Lanes<S> random_lanes(std::mt19937& rng) {
  Lanes<S> l;
  for (auto& x : l.b) x = static_cast<uint8_t>(rng());
  return l;
}

template <class S, class Op>
Lanes<S> apply(Op op, const Lanes<S>& a, const Lanes<S>& b) {
  Lanes<S> r;
  S::store(r.b, op(S::load(a.b), S::load(b.b)));
  S::end();
  return r;
}

template <class S>
void check_width() {
  using namespace model;
  std::mt19937 rng(S::kBytes);
  for (int iter = 0; iter < 2000; ++iter) {
    auto a = random_lanes<S>(rng), b = random_lanes<S>(rng);
    if (iter % 4 == 0) a.set16(0, -32768), b.set16(0, -32768);   // corner lanes
    auto avg = apply<S>(S::avgu8, a, b);
    auto addus = apply<S>(S::addus8, a, b);
    auto subus = apply<S>(S::subus8, a, b);
    auto adds = apply<S>(S::adds16, a, b);
    auto subs = apply<S>(S::subs16, a, b);
    auto hi = apply<S>(S::mulhi16, a, b);
    auto lo = apply<S>(S::mullo16, a, b);
    auto pus = apply<S>(S::packus16, a, b);
    auto ps = apply<S>(S::packs16, a, b);
    auto sra3 = apply<S>([](auto x, auto) { return S::template sra16<3>(x); }, a, b);
    for (int i = 0; i < S::kBytes; ++i) {
      ASSERT_EQ(avg.b[i], avg_u8(a.b[i], b.b[i]));
      ASSERT_EQ(addus.b[i], sat_u8(a.b[i] + b.b[i]));
      ASSERT_EQ(subus.b[i], sat_u8(a.b[i] - b.b[i]));
    }
    const int half = S::kBytes / 2;
    for (int i = 0; i < half; ++i) {
      ASSERT_EQ(adds.s16(i), sat_s16(a.s16(i) + b.s16(i)));
      ASSERT_EQ(subs.s16(i), sat_s16(a.s16(i) - b.s16(i)));
      ASSERT_EQ(hi.s16(i), mulhi16(a.s16(i), b.s16(i)));
      ASSERT_EQ(lo.s16(i), mullo16(a.s16(i), b.s16(i)));
      ASSERT_EQ(sra3.s16(i), sra(a.s16(i), 3));
      // Packs: lanes of a, then lanes of b.
      ASSERT_EQ(pus.b[i], sat_u8(a.s16(i)));
      ASSERT_EQ(pus.b[half + i], sat_u8(b.s16(i)));
      ASSERT_EQ(static_cast<int8_t>(ps.b[i]), sat_s8(a.s16(i)));
    }
  }
}

TEST(SimdOps, MmxWidthMatchesTheScalarDefinitions) { check_width<Mmx>(); }
TEST(SimdOps, Sse2WidthMatchesTheScalarDefinitions) { check_width<Sse2>(); }

}  // namespace
}  // namespace pplcam::test
