// Horizontal neighbours of one column group of a row, as byte vectors.
//
// The edge-directed demosaic and the luma sharpening read, for every
// photosite of a group, the bytes one and two columns to either side. A
// `RowTaps` holds the group's bytes shifted by -2 .. +2 columns: `at(-1)`
// holds, in byte i, the byte of column x0 + i - 1. Three sources fill it:
//  - a frame row in memory whose neighbours exist (unaligned loads);
//  - a ring row, from the aligned loads of the group and of its two
//    neighbour groups, so that a row that wraps round the ring end is read
//    across the wrap (no load spans the ring end);
//  - at the first and last group of a row, a neighbour group made from the
//    group itself: the reflection about the edge column puts columns 2 and
//    1 left of column 0, and columns W - 2 and W - 3 right of column W - 1,
//    and the taps read no further than two columns out;
//  - a staged copy of kBytes + 4 bytes with the neighbours in place.
#pragma once

#include <cstdint>

#include "core/simd.h"

namespace pplcam::edge {

template <class S>
struct RowTaps {
  using V = typename S::V;
  V tap[5];   // column offsets -2 .. +2
  V at(int offset) const { return tap[offset + 2]; }
};

// The bytes of one column group in S's registers: the whole register, or
// one 16-byte lane of the wide ones, whose byte shifts work lane by lane.
template <class S>
constexpr int kGroupBytes = S::kBytes > 16 ? 16 : S::kBytes;

// Bytes -2 .. kBytes + 1 around `p` are read.
template <class S>
PPL_VEC_INLINE RowTaps<S> taps_from_memory(const uint8_t* p) {
  return RowTaps<S>{{S::load(p - 2), S::load(p - 1), S::load(p), S::load(p + 1), S::load(p + 2)}};
}

// Bytes of `cur` moved N columns right (the first N from the end of
// `prev`), or N columns left (the last N from the start of `next`).
template <class S, int N>
PPL_VEC_INLINE typename S::V from_left(typename S::V prev, typename S::V cur) {
  return S::or_(S::template sll_bytes<N>(cur), S::template srl_bytes<kGroupBytes<S> - N>(prev));
}
template <class S, int N>
PPL_VEC_INLINE typename S::V from_right(typename S::V cur, typename S::V next) {
  return S::or_(S::template srl_bytes<N>(cur), S::template sll_bytes<kGroupBytes<S> - N>(next));
}

template <class S>
PPL_VEC_INLINE RowTaps<S> taps_from_groups(typename S::V prev, typename S::V cur, typename S::V next) {
  return RowTaps<S>{{from_left<S, 2>(prev, cur), from_left<S, 1>(prev, cur), cur,
                     from_right<S, 1>(cur, next), from_right<S, 2>(cur, next)}};
}

// The group at byte `index` of a ring of mask + 1 bytes (index a multiple
// of kBytes, so the group itself never straddles the ring end).
template <class S>
PPL_VEC_INLINE RowTaps<S> taps_from_ring(const uint8_t* ring, uint32_t mask, uint32_t index) {
  constexpr uint32_t g = S::kBytes;
  return taps_from_groups<S>(S::load(ring + ((index - g) & mask)), S::load(ring + (index & mask)),
                             S::load(ring + ((index + g) & mask)));
}

// The neighbour groups of the first and last group of a row, as the
// reflection about the edge column sees them. Only the two bytes next to
// `cur` are set (bytes kBytes - 2, kBytes - 1 of the left one: columns 2
// and 1; bytes 0, 1 of the right one: columns W - 2 and W - 3).
template <class S>
PPL_VEC_INLINE typename S::V swap_bytes16(typename S::V v) {
  return S::or_(S::template srl16<8>(v), S::template sll16<8>(v));
}
template <class S>
PPL_VEC_INLINE typename S::V reflected_left(typename S::V cur) {
  return S::template sll_bytes<kGroupBytes<S> - 2>(swap_bytes16<S>(S::template srl_bytes<1>(cur)));
}
template <class S>
PPL_VEC_INLINE typename S::V reflected_right(typename S::V cur) {
  return swap_bytes16<S>(S::template srl_bytes<kGroupBytes<S> - 3>(cur));
}

// Taps of a group that may be the first (`first`) or last (`last`) of its
// row, whose `kBytes` bytes start at `p`: a missing neighbour group is
// reflected and never read, a present one is loaded.
template <class S>
PPL_VEC_INLINE RowTaps<S> edge_taps_from_memory(const uint8_t* p, bool first, bool last) {
  const typename S::V cur = S::load(p);
  const typename S::V prev = first ? reflected_left<S>(cur) : S::load(p - S::kBytes);
  const typename S::V next = last ? reflected_right<S>(cur) : S::load(p + S::kBytes);
  return taps_from_groups<S>(prev, cur, next);
}

// The same for a group of a ring row (see taps_from_ring).
template <class S>
PPL_VEC_INLINE RowTaps<S> edge_taps_from_ring(const uint8_t* ring, uint32_t mask, uint32_t index, bool first,
                                              bool last) {
  constexpr uint32_t g = S::kBytes;
  const typename S::V cur = S::load(ring + (index & mask));
  const typename S::V prev = first ? reflected_left<S>(cur) : S::load(ring + ((index - g) & mask));
  const typename S::V next = last ? reflected_right<S>(cur) : S::load(ring + ((index + g) & mask));
  return taps_from_groups<S>(prev, cur, next);
}

// A wide register W of kGroupLanes groups of a row, lane l group j + l:
// the register of their left neighbour groups when lane 0 is the row's
// first group, and of their right ones when the last lane is its last
// group, the missing neighbour reflected as above (lane moves only).
template <int kLanes>
struct LanesUp {   // lane 0 from the first register, lane l from lane l - 1 of the second
  static constexpr int reg(int l) { return l == 0 ? 0 : 1; }
  static constexpr int lane(int l) { return l == 0 ? 0 : l - 1; }
};
template <int kLanes>
struct LanesDown {   // the last lane from the second register, lane l from lane l + 1 of the first
  static constexpr int reg(int l) { return l == kLanes - 1 ? 1 : 0; }
  static constexpr int lane(int l) { return l == kLanes - 1 ? l : l + 1; }
};
template <class W>
PPL_VEC_INLINE typename W::V left_groups_of_first(typename W::V cur) {
  const typename W::V src[2] = {reflected_left<W>(cur), cur};
  return W::template pick_lanes<LanesUp<W::kGroupLanes>>(src);
}
template <class W>
PPL_VEC_INLINE typename W::V right_groups_of_last(typename W::V cur) {
  const typename W::V src[2] = {cur, reflected_right<W>(cur)};
  return W::template pick_lanes<LanesDown<W::kGroupLanes>>(src);
}

// Taps of the groups of a wide register at `p` that may start (`first`)
// or end (`last`) their row: the neighbour groups are loaded where they
// exist and reflected where they do not, as edge_taps_from_memory does
// for one group, so no byte outside the row is read.
template <class W>
PPL_VEC_INLINE RowTaps<W> wide_edge_taps_from_memory(const uint8_t* p, bool first, bool last) {
  constexpr int kGroup = kGroupBytes<W>;
  const typename W::V cur = W::load(p);
  const typename W::V prev = first ? left_groups_of_first<W>(cur) : W::load(p - kGroup);
  const typename W::V next = last ? right_groups_of_last<W>(cur) : W::load(p + kGroup);
  return taps_from_groups<W>(prev, cur, next);
}

// `staged` holds columns x0 - 2 .. x0 + kBytes + 1.
template <class S>
PPL_VEC_INLINE RowTaps<S> taps_from_staged(const uint8_t* staged) {
  return taps_from_memory<S>(staged + 2);
}

// Column c of a row of `width` columns, reflected about the edge columns
// without repeating them (-1 -> 1, width -> width - 2).
inline int32_t reflect_index(int32_t c, int32_t width) {
  if (c < 0) return -c;
  if (c >= width) return 2 * (width - 1) - c;
  return c;
}

}  // namespace pplcam::edge
