// The register struct of every path computes every operation exactly as its
// scalar definition, lane for lane, so a kernel written once over the
// struct gives the same bytes on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/simd.h"
#include "model/pixel_ops.h"
#include "support/kernel_path.h"

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

// The unsigned high multiply and the 32-bit lane rearrangements (the RGB24
// row writer's interleave depends on them lane for lane).
template <class S>
void check_lanes32() {
  std::mt19937 rng(S::kBytes + 1);
  constexpr int n = S::kBytes / 4;
  auto u32 = [](const Lanes<S>& l, int i) {
    uint32_t v;
    std::memcpy(&v, l.b + 4 * i, 4);
    return v;
  };
  for (int iter = 0; iter < 200; ++iter) {
    const auto x = random_lanes<S>(rng), y = random_lanes<S>(rng), z = random_lanes<S>(rng);
    const auto hiu = apply<S>(S::mulhiu16, x, y);
    for (int i = 0; i < S::kBytes / 2; ++i) {
      const uint32_t a = static_cast<uint16_t>(x.s16(i)), b = static_cast<uint16_t>(y.s16(i));
      ASSERT_EQ(static_cast<uint16_t>(hiu.s16(i)), (a * b) >> 16);
    }
    const auto even = apply<S>(S::even32, x, y), odd = apply<S>(S::odd32, x, y);
    const auto high = apply<S>([](auto a, auto) { return S::high_half(a); }, x, y);
    Lanes<S> out[3];
    typename S::V v[3];
    S::interleave3_32(S::load(x.b), S::load(y.b), S::load(z.b), v);
    for (int r = 0; r < 3; ++r) S::store(out[r].b, v[r]);
    S::end();
    for (int i = 0; i < n / 2; ++i) {
      ASSERT_EQ(u32(even, i), u32(x, 2 * i));
      ASSERT_EQ(u32(even, n / 2 + i), u32(y, 2 * i));
      ASSERT_EQ(u32(odd, i), u32(x, 2 * i + 1));
      ASSERT_EQ(u32(odd, n / 2 + i), u32(y, 2 * i + 1));
      ASSERT_EQ(u32(high, i), u32(x, n / 2 + i));
      ASSERT_EQ(u32(high, n / 2 + i), u32(x, n / 2 + i));
    }
    const Lanes<S>* in[3] = {&x, &y, &z};
    for (int k = 0; k < 3 * n; ++k) ASSERT_EQ(u32(out[k / n], k % n), u32(*in[k % 3], k / 3));
  }
}

template <class P>
class SimdOps : public PathFixture<P> {};
TYPED_TEST_SUITE(SimdOps, AllPathTypes);

TYPED_TEST(SimdOps, WidthMatchesTheScalarDefinitions) { check_width<typename TypeParam::S>(); }
TYPED_TEST(SimdOps, LaneRearrangementsMatchTheirDefinitions) { check_lanes32<typename TypeParam::S>(); }

}  // namespace
}  // namespace pplcam::test
