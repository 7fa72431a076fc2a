// The full-size output packs of the Bayer walk for a register W that holds
// several column groups, one per 16-byte lane (the AVX2 and AVX-512 rows).
// Every operation of W computes in each lane what the 16-byte struct S
// computes for one group, so each pack below is the 16-byte pack of
// stages.h run on all lanes at once; only the stores differ. The YUV packs
// store lane L where the 16-byte pack would put group j + L, a 16-byte
// (or, for the I420 chroma, 8-byte) store with S. The RGB packs put the
// groups' blocks, which lie end to end in a row (right to left when
// mirrored), in the order of that run first (wide_run_order.h) and store
// whole registers. Either way the mirrors, the bottom-up order and the end
// of a row need nothing new and no store reaches beyond the groups' own
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "bayer/placement.h"
#include "bayer/stages.h"
#include "bayer/wide_run_order.h"
#include "core/bgr24_pack.h"
#include "core/simd.h"

namespace pplcam {

// Calls f(std::integral_constant<int, L>) for every lane L of W.
template <class W, class F>
PPL_VEC_INLINE void for_each_lane(F&& f) {
  f(std::integral_constant<int, 0>{});
  f(std::integral_constant<int, 1>{});
  if constexpr (W::kGroupLanes == 4) {
    f(std::integral_constant<int, 2>{});
    f(std::integral_constant<int, 3>{});
  }
}

// Lane L of v to at + L * step: 16 bytes, or with `half` the lane's low 8.
template <class W, class S, bool half = false>
PPL_VEC_INLINE void store_groups(uint8_t* at, ptrdiff_t step, typename W::V v) {
  for_each_lane<W>([&](auto lane) {
    constexpr int L = decltype(lane)::value;
    if constexpr (half) S::store_half(at + L * step, W::template lane<L>(v));
    else S::store(at + L * step, W::template lane<L>(v));
  });
}

// Bytes between the blocks of two neighbouring groups of a plane (`pixels`
// picture pixels per group). Internal to each file: every path keeps its copy.
static inline ptrdiff_t group_step(const Plane& p, int32_t pixels) {
  return static_cast<ptrdiff_t>(pixels) * p.steps.pixel_step;
}

template <class W, class S>
PPL_VEC_INLINE void pack_i420_groups(const YuvRows<W>& in, const Plane& y_plane, const Plane& u_plane,
                                     int32_t quarter, int32_t x0, int32_t y, const Lanes<W>& l) {
  using V = typename W::V;
  const bool mirror = mirrored(y_plane);
  const ptrdiff_t step = group_step(y_plane, 16);
  store_groups<W, S>(block_at(y_plane, x0, 16, y), step, maybe_reverse8<W>(mirror, in.y[0]));
  store_groups<W, S>(block_at(y_plane, x0, 16, y + 1), step, maybe_reverse8<W>(mirror, in.y[1]));
  const V c = limit_chroma<W>(in.c[0]);
  const V u16 = W::and_(c, l.low_bytes), v16 = W::template srl16<8>(c);
  const V u = maybe_reverse8<W>(mirror, W::packus16(u16, u16));
  const V v = maybe_reverse8<W>(mirror, W::packus16(v16, v16));
  uint8_t* at = block_at(u_plane, x0 / 2, 8, y / 2);
  const ptrdiff_t chroma_step = group_step(u_plane, 8);
  store_groups<W, S, true>(at, chroma_step, u);
  store_groups<W, S, true>(at + quarter, chroma_step, v);
}

template <class W, class S, bool uyvy>
PPL_VEC_INLINE void pack_422_groups(const YuvRows<W>& in, const Plane& plane, int32_t x0, int32_t y) {
  using V = typename W::V;
  const bool mirror = mirrored(plane);
  const ptrdiff_t step = group_step(plane, 16);
  for (int row = 0; row < 2; ++row) {
    V luma = in.y[row];
    V chroma = limit_chroma<W>(in.c[row]);
    if (mirror) {
      luma = reverse8<W>(luma);
      chroma = W::reverse16(chroma);
    }
    uint8_t* at = block_at(plane, x0, 16, y + row);
    store_groups<W, S>(at, step, uyvy ? W::unpacklo8(chroma, luma) : W::unpacklo8(luma, chroma));
    store_groups<W, S>(at + 16, step, uyvy ? W::unpackhi8(chroma, luma) : W::unpackhi8(luma, chroma));
  }
}

// One row of the RGB24 pixels of W's groups from the 16-bit values of
// their even and odd photosites (as store_bgr24_sites), stored as the run
// of 48 bytes a group that starts at `run`.
template <class W>
PPL_VEC_INLINE void store_bgr24_sites_groups(uint8_t* run, bool mirror, typename W::V re, typename W::V ro,
                                             typename W::V ge, typename W::V go, typename W::V be,
                                             typename W::V bo) {
  typename W::V row[3];
  bgr24_sites_registers<W>(mirror, re, ro, ge, go, be, bo, row);
  store_run<W, 3>(run, mirror, row);
}

// One row of RGB24 pixels from photosite values at `at`: one group when
// R is the 16-byte struct S, W's groups as one run when R is W.
template <class R, class S>
PPL_VEC_INLINE void store_bgr24_sites_row(uint8_t* at, bool mirror, typename R::V re, typename R::V ro,
                                          typename R::V ge, typename R::V go, typename R::V be, typename R::V bo) {
  if constexpr (std::is_same_v<R, S>) store_bgr24_sites<S>(at, mirror, re, ro, ge, go, be, bo);
  else store_bgr24_sites_groups<R>(at, mirror, re, ro, ge, go, be, bo);
}

// RGB24 of both rows from photosite values, over R = S or R = W.
template <class R, class S>
PPL_VEC_INLINE void pack_rgb24_sites(const RgbSites<R>& in, const Plane& plane, int32_t x0, int32_t y) {
  const bool mirror = mirrored(plane);
  for (int row = 0; row < 2; ++row)
    store_bgr24_sites_row<R, S>(block_at(plane, x0, R::kBytes, y + row), mirror, in.r[row][0], in.r[row][1],
                                in.g[row][0], in.g[row][1], in.b[row][0], in.b[row][1]);
}

template <class W>
PPL_VEC_INLINE void pack_rgb32_groups(const RgbRows<W>& in, const Plane& plane, int32_t x0, int32_t y) {
  using V = typename W::V;
  const bool mirror = mirrored(plane);
  for (int row = 0; row < 2; ++row) {
    V px[4];
    bgr0_pixels<W>(maybe_reverse8<W>(mirror, in.r[row]), maybe_reverse8<W>(mirror, in.g[row]),
                   maybe_reverse8<W>(mirror, in.b[row]), px);
    store_run<W, 4>(block_at(plane, x0, W::kBytes, y + row), mirror, px);
  }
}

}  // namespace pplcam
