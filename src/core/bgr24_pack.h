// B, G, R of pixel pairs packed into RGB24 bytes (B G R B G R ...), shared
// by the packed 4:2:2 converters and the Bayer walk.
//
// The input is one 16-bit lane per pixel pair: B, G and R of the pair's
// first and of its second pixel. Three saturating packs make
//   x1 = B of the first pixels | R of the first pixels
//   x2 = G of the first pixels | B of the second pixels
//   x3 = G of the second pixels | R of the second pixels
// (kBytes / 2 pairs in each half). Pair p then gives the 16-bit words
//   BG = (B, G of its first pixel), RB = (R of the first, B of the second),
//   GR = (G, R of its second pixel),
// and two pairs that follow each other in the picture (q, q') the three
// 32-bit words
//   D = BG(q) RB(q),   K = GR(q) BG(q'),   H = RB(q') GR(q'),
// so kBytes pixels are D K H of pairs 0 and 1, then of pairs 2 and 3, ...:
// a three-way interleave of 32-bit lanes, written as three whole registers
// with nothing written past the 3 x kBytes bytes.
#pragma once

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

template <class S>
struct PairBgrBytes {
  typename S::V x1, x2, x3;
};

// Saturates the six 16-bit values of the pairs into bytes.
template <class S>
PPL_VEC_INLINE PairBgrBytes<S> pair_bgr_bytes(typename S::V b_first, typename S::V g_first,
                                              typename S::V r_first, typename S::V b_second,
                                              typename S::V g_second, typename S::V r_second) {
  return {S::packus16(b_first, r_first), S::packus16(g_first, b_second),
          S::packus16(g_second, r_second)};
}

// How the pairs sit in the lanes: in picture order (lane i holds pair i),
// or the even pairs 0, 2, 4, ... in the low half and the odd pairs 1, 3,
// 5, ... in the high half, which turns the D K H words into unpacks.
enum class PairLanes { kInOrder, kEvenThenOdd };

// The kBytes pixels of the pairs as three registers of RGB24 bytes, in
// the order S::interleave3_32 lays them out.
template <class S, PairLanes L>
PPL_VEC_INLINE void pair_bgr24_registers(const PairBgrBytes<S>& p, typename S::V* row) {
  using V = typename S::V;
  const V bg = S::unpacklo8(p.x1, p.x2);
  const V rb = S::unpackhi8(p.x1, p.x2);
  const V gr = S::unpacklo8(p.x3, S::high_half(p.x3));
  V d, k, h;
  if constexpr (L == PairLanes::kEvenThenOdd) {
    d = S::unpacklo16(bg, rb);
    k = S::unpacklo16(gr, S::high_half(bg));
    h = S::unpackhi16(rb, gr);
  } else {
    // Pairs q = 2j and q' = 2j + 1 share 32-bit lane j of each word.
    const V low = S::set1_32(0xFFFF);
    d = S::or_(S::and_(bg, low), S::template sll32<16>(rb));
    k = S::or_(S::and_(gr, low), S::andnot(low, bg));
    h = S::or_(S::template srl32<16>(rb), S::andnot(low, gr));
  }
  S::interleave3_32(d, k, h, row);
}

// Writes the kBytes pixels of the pairs at out.
template <class S, PairLanes L>
PPL_VEC_INLINE void store_pair_bgr24(uint8_t* out, const PairBgrBytes<S>& p) {
  typename S::V row[3];
  pair_bgr24_registers<S, L>(p, row);
  S::store(out, row[0]);
  S::store(out + S::kBytes, row[1]);
  S::store(out + 2 * S::kBytes, row[2]);
}

}  // namespace pplcam
