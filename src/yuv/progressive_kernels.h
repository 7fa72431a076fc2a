// The frame walks of the progressive kernels, written once over the kernel
// path P: line pairs from the top of the source, each handed to a row
// converter on the path's registers (yuv/yuv_registers.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/path_types.h"
#include "core/simd.h"
#include "yuv/i420_rows.h"
#include "yuv/progressive_frames.h"
#include "yuv/rgb24_rows.h"
#include "yuv/yuv_registers.h"
#include "yuv/yyyy_rows.h"

namespace pplcam::yuv {

// Calls convert(line0, line1, width, rows) for every line pair of f.
template <class Convert>
void walk_i420(const I420Frame& f, Convert convert) {
  for (int32_t k = 0; k < f.line_pairs; ++k) {
    const uint8_t* line0 = f.src + static_cast<ptrdiff_t>(2 * k) * f.line_bytes;
    I420Rows rows;
    rows.y0 = f.y + static_cast<ptrdiff_t>(2 * k) * f.y_row_stride;
    rows.y1 = rows.y0 + f.y_row_stride;
    rows.u = f.u + static_cast<ptrdiff_t>(k) * f.c_row_stride;
    rows.v = f.v + static_cast<ptrdiff_t>(k) * f.c_row_stride;
    convert(line0, line0 + f.line_bytes, f.width, rows);
  }
}

template <class R, Order422 O>
void packed422_to_i420_path(const I420Frame& f) {
  if (f.h_mirror) {
    walk_i420(f, i420_line_pair<typename R::W, typename R::T, O, true>);
  } else {
    walk_i420(f, i420_line_pair<typename R::W, typename R::T, O, false>);
  }
}

template <class P>
void packed422_to_i420(const I420Frame& f, Order422 order) {
  using S = typename P::S;
  if (order == Order422::kYuyv) {
    packed422_to_i420_path<Registers<P>, Order422::kYuyv>(f);
  } else {
    packed422_to_i420_path<Registers<P>, Order422::kUyvy>(f);
  }
  S::end();
}

template <class P>
void yyyy_to_i420(const I420Frame& f) {
  using S = typename P::S;
  using R = Registers<P>;
  if (f.h_mirror) {
    walk_i420(f, yyyy_line_pair<typename R::W, typename R::T, true>);
  } else {
    walk_i420(f, yyyy_line_pair<typename R::W, typename R::T, false>);
  }
  S::end();
}

template <class R, Order422 O>
void packed422_to_rgb24_path(const Rgb24Frame& f) {
  using W = typename R::W;
  using T = typename R::T;
  const ptrdiff_t line_bytes = 2 * static_cast<ptrdiff_t>(f.width);
  for (int32_t k = 0; k < f.line_pairs; ++k) {
    const uint8_t* line0 = f.src + 2 * k * line_bytes;
    uint8_t* row0 = f.row0 + static_cast<ptrdiff_t>(2 * k) * f.row_stride;
    rgb24_line<W, T, O>(line0, f.width, row0);
    rgb24_line<W, T, O>(line0 + line_bytes, f.width, row0 + f.row_stride);
  }
}

template <class P>
void packed422_to_rgb24(const Rgb24Frame& f, Order422 order) {
  using S = typename P::S;
  if (order == Order422::kYuyv) {
    packed422_to_rgb24_path<Registers<P>, Order422::kYuyv>(f);
  } else {
    packed422_to_rgb24_path<Registers<P>, Order422::kUyvy>(f);
  }
  S::end();
}

}  // namespace pplcam::yuv
