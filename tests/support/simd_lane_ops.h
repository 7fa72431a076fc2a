// The register-struct operations the lane tests run (tests/simd_ops_test.cpp),
// written once over S. The shared ones exist in every struct from Sse2 on
// and must give, in each 16-byte lane of a wide struct, Sse2's result for
// that lane; the wide ones exist from Avx2 on and are checked against their
// definitions. Included by the test and by the wide rows' helper files
// (simd_lanes_avx2.cpp, simd_lanes_avx512.cpp), which are built with those
// instruction sets; everything here is internal to each file, so no copy
// built for a wide set is shared with the test's own.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/simd.h"

namespace pplcam::test {
namespace {

// name, expression over registers x, y (inputs a, b) of S
#define PPL_SHARED_LANE_OPS(X) \
  X(add8, S::add8(x, y)) X(sub8, S::sub8(x, y)) X(add16, S::add16(x, y)) X(sub16, S::sub16(x, y))               \
  X(adds16, S::adds16(x, y)) X(subs16, S::subs16(x, y)) X(addus8, S::addus8(x, y)) X(subus8, S::subus8(x, y))   \
  X(mullo16, S::mullo16(x, y)) X(mulhi16, S::mulhi16(x, y)) X(mulhiu16, S::mulhiu16(x, y))                      \
  X(madd16, S::madd16(x, y)) X(avgu8, S::avgu8(x, y)) X(avgu16, S::avgu16(x, y)) X(max16, S::max16(x, y))       \
  X(min16, S::min16(x, y)) X(maxu8, S::maxu8(x, y)) X(minu8, S::minu8(x, y)) X(cmpeq8, S::cmpeq8(x, y))         \
  X(cmpeq16, S::cmpeq16(x, y)) X(cmpgt16, S::cmpgt16(x, y)) X(and_, S::and_(x, y)) X(andnot, S::andnot(x, y))   \
  X(or_, S::or_(x, y)) X(xor_, S::xor_(x, y)) X(packs16, S::packs16(x, y)) X(packus16, S::packus16(x, y))       \
  X(packs32, S::packs32(x, y)) X(unpacklo8, S::unpacklo8(x, y)) X(unpackhi8, S::unpackhi8(x, y))                \
  X(unpacklo16, S::unpacklo16(x, y)) X(unpackhi16, S::unpackhi16(x, y)) X(unpacklo32, S::unpacklo32(x, y))      \
  X(unpackhi32, S::unpackhi32(x, y)) X(unpacklo64, S::unpacklo64(x, y)) X(even32, S::even32(x, y))              \
  X(odd32, S::odd32(x, y)) X(shuffle32x2, S::template shuffle32x2<0xB1>(x, y))                                  \
  X(sra16, S::template sra16<3>(x)) X(srl16, S::template srl16<5>(x)) X(sll16, S::template sll16<2>(x))         \
  X(srl32, S::template srl32<7>(x)) X(sll32, S::template sll32<9>(x))                                           \
  X(srl_bytes, S::template srl_bytes<3>(x)) X(sll_bytes, S::template sll_bytes<5>(x))                           \
  X(srl64, S::template srl64<11>(x)) X(sll64, S::template sll64<13>(x))                                         \
  X(shuffle16_in64, S::template shuffle16_in64<0x1B>(x)) X(high_half, S::high_half(x))                          \
  X(reverse16, S::reverse16(x)) X(reverse8, reverse8<S>(x)) X(opaque, S::opaque(x))                             \
  X(set1_16, S::set1_16(-1234)) X(interleave0, interleave<S>(x, y, 0)) X(interleave1, interleave<S>(x, y, 1))   \
  X(interleave2, interleave<S>(x, y, 2))

template <class S>
PPL_VEC_INLINE typename S::V interleave(typename S::V x, typename S::V y, int k) {
  typename S::V out[3];
  S::interleave3_32(x, y, S::xor_(x, S::set1_8(0x5A)), out);
  return out[k];
}

#define PPL_LANE_OP_ID(name, expr) kOp_##name,
enum SharedLaneOp { PPL_SHARED_LANE_OPS(PPL_LANE_OP_ID) kSharedLaneOps };
#undef PPL_LANE_OP_ID

// Operation `op` of S on a and b (S::kBytes each) into out.
template <class S>
void run_shared_op(int op, const uint8_t* a, const uint8_t* b, uint8_t* out) {
  const typename S::V x = S::load(a), y = S::load(b);
  typename S::V r = S::zero();
  switch (op) {
#define PPL_LANE_OP_CASE(name, expr) \
  case kOp_##name: r = expr; break;
    PPL_SHARED_LANE_OPS(PPL_LANE_OP_CASE)
#undef PPL_LANE_OP_CASE
  }
  S::store(out, r);
}

// The wide structs' own operations, on a and b; out is 2 x S::kBytes,
// prefilled by the caller (stores must leave what they do not write).
enum WideLaneOp {
  kShuffle8, kBlend8, kBlend16, kLoadConst, kSllv32, kSrlv32, kSrav32, kStoreHalf, kByteSum,
  kLoadLanes1, kStoreLanes1, kLaneMove,
  // AVX-512 only
  kSllv16, kSrlv16, kSrav16, kPermutexvar8, kPermutex2var8, kMaskBlend8, kLoadLanes3, kStoreLanes3,
  kWideLaneOps
};

// Returns false for an operation S does not have.
template <class S>
bool run_wide_op(int op, const uint8_t* a, const uint8_t* b, uint8_t* out) {
  const typename S::V x = S::load(a), y = S::load(b);
  const typename S::V counts = S::and_(y, S::set1_32(0x3F));   // 0-63: half of them past 31
  typename S::V r;
  switch (op) {
    case kShuffle8: r = S::shuffle8(x, y); break;
    case kBlend8: r = S::blend8(x, y, S::xor_(x, y)); break;
    case kBlend16: r = S::template blend16<0xA5>(x, y); break;
    case kLoadConst: {   // a group constant: broadcast16 into every lane
      struct { uint8_t b[16]; } group;
      std::memcpy(group.b, a, 16);
      r = load_const<S>(group);
      break;
    }
    case kSllv32: r = S::sllv32(x, counts); break;
    case kSrlv32: r = S::srlv32(x, counts); break;
    case kSrav32: r = S::srav32(x, counts); break;
    case kStoreHalf: S::store_half(out, x); return true;
    case kByteSum: { const uint32_t sum = S::byte_sum(x); std::memcpy(out, &sum, 4); return true; }
    case kLoadLanes1: r = S::load_lanes(a, 1); break;
    case kStoreLanes1: S::store_lanes(out, x, 1); return true;
    case kLaneMove:
      if constexpr (S::kBytes == 32) r = S::template permute2x128<0x21>(x, y);
      else r = S::template shuffle_lanes<0x4E>(x, y);
      break;
    default:
      if constexpr (S::kBytes == 64) {
        const typename S::V c16 = S::and_(y, S::set1_16(0x1F));   // 0-31: half of them past 15
        switch (op) {
          case kSllv16: r = S::sllv16(x, c16); break;
          case kSrlv16: r = S::srlv16(x, c16); break;
          case kSrav16: r = S::srav16(x, c16); break;
          case kPermutexvar8: r = S::permutexvar8(y, x); break;
          case kPermutex2var8: r = S::permutex2var8(x, S::xor_(x, y), y); break;
          case kMaskBlend8: r = S::mask_blend8(S::cmpeq8_mask(x, y), x, S::set1_8(0x77)); break;
          case kLoadLanes3: r = S::load_lanes(a, 3); break;
          case kStoreLanes3: S::store_lanes(out, x, 3); return true;
          default: return false;
        }
        break;
      }
      return false;
  }
  S::store(out, r);
  return true;
}

}  // namespace

// The same operations on the wide structs, from the files built with their
// instruction sets (simd_lanes_avx2.cpp, simd_lanes_avx512.cpp).
void shared_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
bool wide_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
void shared_op_avx512(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
bool wide_op_avx512(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);

}  // namespace pplcam::test
