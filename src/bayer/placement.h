// Where a stage writes picture pixels: a plane's start in the caller's
// buffer plus its output stepping entry (mirrors and bottom-up order are in
// the signs, so no writer tests a flag).
#pragma once

#include <cstddef>
#include <cstdint>

#include "bayer/driver.h"
#include "core/context.h"

namespace pplcam {

struct Plane {
  uint8_t* base;
  PlaneSteps steps;
};

// Address of picture pixel (x, y) of the plane.
inline uint8_t* pixel_at(const Plane& p, int32_t x, int32_t y) {
  return p.base + p.steps.origin + static_cast<ptrdiff_t>(y) * p.steps.row_stride +
         static_cast<ptrdiff_t>(x) * p.steps.pixel_step;
}

// Lowest address of the n picture pixels x0 .. x0 + n - 1 of row y; with
// the horizontal mirror they are stored right to left, so the block starts
// at its last pixel.
inline uint8_t* block_at(const Plane& p, int32_t x0, int32_t n, int32_t y) {
  return pixel_at(p, p.steps.pixel_step < 0 ? x0 + n - 1 : x0, y);
}

inline bool mirrored(const Plane& p) { return p.steps.pixel_step < 0; }

// The stepping entry of a format's packed plane (the Y plane for I420).
inline const PlaneSteps& main_plane_steps(const StepTable& t, BayerOutput f) {
  return f == BayerOutput::kI420    ? t.i420_y
         : f == BayerOutput::kRgb24 ? t.rgb24
         : f == BayerOutput::kRgb32 ? t.rgb32
                                    : t.yuv422;
}

}  // namespace pplcam
