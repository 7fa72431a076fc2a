// Loads, stores and horizontal taps of the work-area rings for a register
// R of one or several column groups. A ring index is a multiple of the
// group width and a ring's size a power of two of at least 4096 bytes, so
// one group never straddles the ring end; a register of several groups
// may, and then goes through a copy of the bytes in ring order (loads) or
// through its 16-byte lanes one at a time (stores). Either way exactly the
// ring's own bytes are touched.
#pragma once

#include <cstdint>
#include <cstring>

#include "bayer/row_taps.h"
#include "bayer/wide_packs.h"
#include "core/simd.h"

namespace pplcam::edge {

// True when bytes at .. at + bytes - 1 of the ring lie before its end.
inline bool ring_contiguous(uint32_t mask, uint32_t at, uint32_t bytes) { return at + bytes <= mask + 1; }

// `bytes` bytes of the ring from `index` on, in ring order, to `out`.
inline void copy_from_ring(const uint8_t* ring, uint32_t mask, uint32_t index, uint8_t* out, uint32_t bytes) {
  for (uint32_t i = 0; i < bytes; ++i) out[i] = ring[(index + i) & mask];
}

template <class R>
PPL_VEC_INLINE typename R::V ring_load(const uint8_t* ring, uint32_t mask, uint32_t index) {
  const uint32_t at = index & mask;
  if (R::kBytes <= 16 || ring_contiguous(mask, at, R::kBytes)) return R::load(ring + at);
  alignas(64) uint8_t staged[R::kBytes];
  copy_from_ring(ring, mask, index, staged, R::kBytes);
  return R::load(staged);
}

// S is the 16-byte struct whose stores write R's lanes at the ring end.
template <class R, class S>
PPL_VEC_INLINE void ring_store(uint8_t* ring, uint32_t mask, uint32_t index, typename R::V v) {
  const uint32_t at = index & mask;
  if constexpr (R::kBytes <= 16) {
    R::store(ring + at, v);
  } else {
    if (ring_contiguous(mask, at, R::kBytes)) {
      R::store(ring + at, v);
      return;
    }
    for_each_lane<R>([&](auto lane) {
      constexpr int L = decltype(lane)::value;
      S::store(ring + ((index + 16 * L) & mask), R::template lane<L>(v));
    });
  }
}

// The register's bytes at `index` of a ring row moved by Offset columns
// (-2 .. 2): byte i holds column index + i + Offset. All groups inner
// ones; the 16-byte taps come from the group and its neighbour groups,
// the wider ones from an unaligned load, the shifted bytes crossing from
// one group into the next as the 16-byte taps' neighbour groups do.
template <class R, int kGroup, int Offset>
PPL_VEC_INLINE typename R::V ring_tap(const uint8_t* ring, uint32_t mask, uint32_t index) {
  if constexpr (R::kBytes == kGroup) return taps_from_ring<R>(ring, mask, index).at(Offset);
  else return ring_load<R>(ring, mask, index + Offset);
}

// All five taps, with one test for the ring's end rather than one a tap.
template <class R, int kGroup>
PPL_VEC_INLINE RowTaps<R> ring_taps(const uint8_t* ring, uint32_t mask, uint32_t index) {
  if constexpr (R::kBytes == kGroup) {
    return taps_from_ring<R>(ring, mask, index);
  } else {
    const uint32_t at = (index - 2) & mask;
    if (ring_contiguous(mask, at, R::kBytes + 4)) return taps_from_memory<R>(ring + at + 2);
    alignas(64) uint8_t staged[R::kBytes + 4];
    copy_from_ring(ring, mask, index - 2, staged, R::kBytes + 4);
    return taps_from_staged<R>(staged);
  }
}

// The taps of a wide register's groups of a ring row that may start or
// end the row (see wide_edge_taps_from_memory).
template <class W>
PPL_VEC_INLINE RowTaps<W> wide_edge_taps_from_ring(const uint8_t* ring, uint32_t mask, uint32_t index, bool first,
                                                   bool last) {
  constexpr uint32_t kGroup = kGroupBytes<W>;
  const typename W::V cur = ring_load<W>(ring, mask, index);
  const typename W::V prev = first ? left_groups_of_first<W>(cur) : ring_load<W>(ring, mask, index - kGroup);
  const typename W::V next = last ? right_groups_of_last<W>(cur) : ring_load<W>(ring, mask, index + kGroup);
  return taps_from_groups<W>(prev, cur, next);
}

}  // namespace pplcam::edge
