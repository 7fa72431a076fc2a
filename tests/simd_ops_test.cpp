// The register struct of every path computes every operation exactly as its
// scalar definition, lane for lane, so a kernel written once over the
// struct gives the same bytes on every path.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "core/simd.h"
#include "model/pixel_ops.h"
#include "support/kernel_path.h"
#include "support/simd_lane_ops.h"

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

template <class P>
class SimdOps : public PathFixture<P> {};
TYPED_TEST_SUITE(SimdOps, AllPathTypes);

TYPED_TEST(SimdOps, WidthMatchesTheScalarDefinitions) { check_width<typename TypeParam::S>(); }

// The wide structs: every shared operation gives, lane by lane, Sse2's
// result for that lane (so a kernel over S computes each group as the SSE2
// path does), and every wide operation its definition. Skipped where the
// row does not run.
const struct WideRow {
  PathId path;
  int bytes;
  void (*shared)(int, const uint8_t*, const uint8_t*, uint8_t*);
  bool (*wide)(int, const uint8_t*, const uint8_t*, uint8_t*);
} kWideRows[] = {{PathId::kAvx2, 32, shared_op_avx2, wide_op_avx2}, {PathId::kAvx512, 64, shared_op_avx512, wide_op_avx512}};

// Variable shifts of each element of a by the count in b's (count_mask
// applied): kind 0 left, 1 logical right, 2 arithmetic right; counts past
// the element width give 0 (or the sign).
template <class U, class I>
void shift_definition(int kind, int n, const uint8_t* a, const uint8_t* b, unsigned count_mask, uint8_t* out) {
  constexpr unsigned kBits = 8 * sizeof(U);
  for (int i = 0; i < n / static_cast<int>(sizeof(U)); ++i) {
    U x, c;
    std::memcpy(&x, a + sizeof(U) * i, sizeof(U));
    std::memcpy(&c, b + sizeof(U) * i, sizeof(U));
    const unsigned count = c & count_mask;
    const I sx = static_cast<I>(x);
    const U r = kind == 0   ? (count >= kBits ? 0 : static_cast<U>(x << count))
                : kind == 1 ? (count >= kBits ? 0 : static_cast<U>(x >> count))
                            : static_cast<U>(count >= kBits ? sx >> (kBits - 1) : sx >> count);
    std::memcpy(out + sizeof(U) * i, &r, sizeof(U));
  }
}

// The definition of wide operation `op` on n-byte a and b: the expected
// contents of out (2n bytes, prefilled with 0xEE).
void wide_definition(int op, int n, const uint8_t* a, const uint8_t* b, uint8_t* out) {
  switch (op) {
    case kShuffle8: for (int i = 0; i < n; ++i) out[i] = b[i] & 0x80 ? 0 : a[i / 16 * 16 + (b[i] & 15)]; break;
    case kBlend8: for (int i = 0; i < n; ++i) out[i] = (a[i] ^ b[i]) & 0x80 ? b[i] : a[i]; break;
    // 16-bit element i from b where bit i % 8 of 0xA5 is set
    case kBlend16: for (int i = 0; i < n; ++i) out[i] = (0xA5 >> (i / 2 % 8)) & 1 ? b[i] : a[i]; break;
    case kLoadConst: for (int i = 0; i < n; ++i) out[i] = a[i % 16]; break;
    case kSllv32: case kSrlv32: case kSrav32: shift_definition<uint32_t, int32_t>(op - kSllv32, n, a, b, 0x3F, out); break;
    case kStoreHalf: for (int l = 0; l < n / 16; ++l) std::memcpy(out + 8 * l, a + 16 * l, 8); break;
    case kByteSum: {
      uint32_t sum = 0;
      for (int i = 0; i < n; ++i) sum += a[i];
      std::memcpy(out, &sum, 4);
      break;
    }
    case kLoadLanes1: case kLoadLanes3:
      std::memset(out, 0, n);
      [[fallthrough]];
    case kStoreLanes1: case kStoreLanes3: std::memcpy(out, a, op == kLoadLanes1 || op == kStoreLanes1 ? 16 : 48); break;
    // the upper half of a, then the lower half of b
    case kLaneMove: std::memcpy(out, a + n / 2, n / 2), std::memcpy(out + n / 2, b, n / 2); break;
    case kSllv16: case kSrlv16: case kSrav16: shift_definition<uint16_t, int16_t>(op - kSllv16, n, a, b, 0x1F, out); break;
    case kPermutexvar8: for (int i = 0; i < n; ++i) out[i] = a[b[i] & 63]; break;
    case kPermutex2var8: for (int i = 0; i < n; ++i) out[i] = ((a[i] ^ b[i]) & 64 ? b : a)[(a[i] ^ b[i]) & 63]; break;
    case kMaskBlend8: for (int i = 0; i < n; ++i) out[i] = a[i] == b[i] ? 0x77 : a[i]; break;
  }
}

TEST(SimdWideOps, EachLaneIsTheSse2ResultAndWideOpsMatchTheirDefinitions) {
  for (const WideRow& row : kWideRows) {
    if (!path_runs_here(row.path)) {
      std::printf("[ SKIPPED  ] %s does not run here\n", path_name(row.path));
      continue;
    }
    SCOPED_TRACE(path_name(row.path));
    std::mt19937 rng(row.bytes);
    alignas(64) uint8_t a[64], b[64], out[128], expect[128], lane_ref[16];
    for (int iter = 0; iter < 300; ++iter) {
      for (int i = 0; i < row.bytes; ++i) a[i] = static_cast<uint8_t>(rng()), b[i] = static_cast<uint8_t>(rng());
      for (int i = 0; i < row.bytes; i += 3) b[i] = a[i];   // equal lanes for the comparisons
      if (iter % 4 == 0) a[0] = b[0] = 0, a[1] = b[1] = 0x80;   // -32768 in lane 0
      for (int op = 0; op < kSharedLaneOps; ++op) {
        row.shared(op, a, b, out);
        for (int l = 0; l < row.bytes / 16; ++l) {
          run_shared_op<Sse2>(op, a + 16 * l, b + 16 * l, lane_ref);
          ASSERT_EQ(std::memcmp(out + 16 * l, lane_ref, 16), 0) << "shared op " << op << ", lane " << l;
        }
      }
      for (int op = 0; op < kWideLaneOps; ++op) {
        std::memset(out, 0xEE, sizeof out);
        std::memset(expect, 0xEE, sizeof expect);
        if (!row.wide(op, a, b, out)) continue;
        wide_definition(op, row.bytes, a, b, expect);
        ASSERT_EQ(std::memcmp(out, expect, sizeof out), 0) << "wide op " << op;
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
