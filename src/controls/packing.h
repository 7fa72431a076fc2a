// Filling the lanes of the packed constants that the kernels read.
//
// A builder writes the same lane pattern into the 4-lane MMX form and the
// 8-lane SSE2 form; lane 0 is at the lowest address. Values are narrowed
// by keeping their low 16 (or 8) bits, so a builder that has checked its
// range stores exactly the value, and the unchecked partner channel of a
// one-channel rebuild is stored the way a 16-bit register would hold it.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

inline int16_t low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
inline uint8_t low8(int32_t v) { return static_cast<uint8_t>(v); }

inline bool fits_int16(int64_t v) { return v >= INT16_MIN && v <= INT16_MAX; }

// `v` in every 16-bit lane.
template <int Bytes>
void pack_all16(Packed16<Bytes>& p, int32_t v) {
  for (int16_t& lane : p.lane) lane = low16(v);
}

// `even` in lanes 0, 2, 4, ... and `odd` in lanes 1, 3, 5, ...
template <int Bytes>
void pack_pair16(Packed16<Bytes>& p, int32_t even, int32_t odd) {
  for (int i = 0; i < Bytes / 2; ++i) p.lane[i] = low16(i & 1 ? odd : even);
}

// `even` in bytes 0, 2, 4, ... and `odd` in bytes 1, 3, 5, ...
template <int Bytes>
void pack_pair8(Packed8<Bytes>& p, int32_t even, int32_t odd) {
  for (int i = 0; i < Bytes; ++i) p.byte[i] = low8(i & 1 ? odd : even);
}

template <int Bytes>
void pack_all8(Packed8<Bytes>& p, int32_t v) {
  for (uint8_t& b : p.byte) b = low8(v);
}

}  // namespace pplcam
