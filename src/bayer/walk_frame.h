// What both Bayer walks take from the context at the start of a frame: the
// walked size in whole column groups and row pairs, where the picture goes,
// and the colour matrix of the output format.
#pragma once

#include <cstdint>

#include "bayer/driver.h"
#include "bayer/placement.h"
#include "bayer/scaled_pack.h"
#include "bayer/stages.h"
#include "core/context.h"
#include "core/path_types.h"
#include "core/simd.h"

namespace pplcam {

template <class P, BayerOutput F>
struct WalkFrame {
  using S = typename P::S;
  static constexpr bool kRgb = F == BayerOutput::kRgb24 || F == BayerOutput::kRgb32;

  WalkFrame(const ppl_context* c, const GroupConstants<P::kGroup>& k, uint8_t* dst)
      : pitch(c->in_width),
        groups(c->in_width / P::kGroup),
        pairs(c->in_height / 2),
        width(groups * P::kGroup),
        height(2 * pairs),
        decimation(c->decimation),
        main{dst, main_plane_steps(c->steps, F)},
        chroma{dst + c->out_pixels, c->steps.i420_c},
        quarter(static_cast<int32_t>(c->out_quarter)),
        matrix(kRgb ? load_matrix<S>(k.c_rgb, k.matrix_offset[2]) : load_matrix<S>(k.c_ycc, k.matrix_offset[0])) {}

  // The per-row-pair packs of the scaled modes over this frame, reading
  // `luma` where they read the luma ring.
  ScaledFrame scaled(const ppl_context* c, bool cell_quality, const uint8_t* luma) const {
    return ScaledFrame{F,    cell_quality, decimation, width,   height,
                       main, chroma,       quarter,    {c->ring[kGreenRing], luma, c->ring[kPlaneRing1],
                                                        c->ring[kPlaneRing2], c->ring[kPlaneRing3]},
                       c->ring_mask};
  }

  int32_t pitch;        // source row bytes
  int32_t groups;       // whole column groups per row
  int32_t pairs;        // whole row pairs
  int32_t width;        // walked width: whole column groups
  int32_t height;       // walked height: whole row pairs
  int32_t decimation;
  Plane main;           // Y plane or the packed plane
  Plane chroma;         // I420 U plane (V is `quarter` bytes further)
  int32_t quarter;
  Matrix3<S> matrix;    // C_rgb for the RGB outputs, C_ycc for the YUV ones
};

}  // namespace pplcam
