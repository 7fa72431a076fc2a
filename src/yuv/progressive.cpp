// The progressive kernels' common steps: the frame count, the refusals,
// and the translation of the context's geometry and output steps into the
// frame descriptions that the path kernels walk.
#include "yuv/progressive.h"

#include "core/path_types.h"
#include "yuv/progressive_frames.h"

namespace pplcam {
namespace {

using yuv::I420Frame;
using yuv::Order422;
using yuv::Rgb24Frame;

struct ProgressiveRow {
  void (*packed422_to_i420)(const I420Frame&, Order422);
  void (*yyyy_to_i420)(const I420Frame&);
  void (*packed422_to_rgb24)(const Rgb24Frame&, Order422);
};

template <class P>
constexpr ProgressiveRow row_of() {
  return {yuv::packed422_to_i420<P>, yuv::yyyy_to_i420<P>, yuv::packed422_to_rgb24<P>};
}

// One row per path, in PathId order.
constexpr PathTable<ProgressiveRow> kProgressiveKernels = path_table<ProgressiveRow>(
    row_of<MmxPath>(),
    row_of<Sse2Path>(),
    row_of<Avx2Path>(),
    row_of<Avx512Path>());

// The kernels step over 16-pixel units and may overlap their last step by
// up to 16 pixels with 16-byte registers, so a line must hold two units.
bool walkable(const ppl_context* c) {
  return c->in_width >= 32 && c->in_width % 16 == 0 && c->in_height >= 2;
}

// True when every pixel (x, y), 0 <= x < cols, 0 <= y < rows, of a plane
// stepped by s lands inside [0, plane_bytes). The address is affine in x
// and y, so the four corners decide.
bool steps_fit(const PlaneSteps& s, int32_t cols, int32_t rows, int64_t plane_bytes) {
  const int64_t x_span = static_cast<int64_t>(cols - 1) * s.pixel_step;
  const int64_t y_span = static_cast<int64_t>(rows - 1) * s.row_stride;
  const int64_t lo = s.origin + (x_span < 0 ? x_span : 0) + (y_span < 0 ? y_span : 0);
  const int64_t hi = s.origin + (x_span > 0 ? x_span : 0) + (y_span > 0 ? y_span : 0);
  return lo >= 0 && hi < plane_bytes;
}

uint8_t run_i420(ProgressiveKernel k, PathId path, ppl_context* c, const uint8_t* src, uint8_t* dst) {
  if (c->decimation != 0) return 1;
  if (!walkable(c)) return 0;
  const StepTable& t = c->steps;
  const int32_t width = c->in_width, pairs = c->in_height / 2;
  const int64_t y_bytes = static_cast<int64_t>(c->out_width) * c->out_height;
  const int64_t c_bytes = static_cast<int64_t>(c->out_width / 2) * (c->out_height / 2);
  // A table that does not fit the planes (a geometry set outside the size
  // table, or one the last bracket could not rebuild) is not walked.
  if (!steps_fit(t.i420_y, width, 2 * pairs, y_bytes) || !steps_fit(t.i420_c, width / 2, pairs, c_bytes))
    return 0;

  uint8_t* u_plane = dst + y_bytes;
  I420Frame f;
  f.src = src;
  f.width = width;
  f.line_pairs = pairs;
  f.y = dst + t.i420_y.origin;
  f.y_row_stride = t.i420_y.row_stride;
  f.u = u_plane + t.i420_c.origin;
  f.v = u_plane + c->out_quarter + t.i420_c.origin;
  f.c_row_stride = t.i420_c.row_stride;
  f.h_mirror = t.i420_y.pixel_step < 0;

  if (k == ProgressiveKernel::kYyyyToI420) {
    f.line_bytes = width / 2 * 3;
    c->last_path = path;
    kProgressiveKernels[path].yyyy_to_i420(f);
  } else {
    f.line_bytes = 2 * width;
    const Order422 order = k == ProgressiveKernel::kYuyvToI420 ? Order422::kYuyv : Order422::kUyvy;
    c->last_path = path;
    kProgressiveKernels[path].packed422_to_i420(f, order);
  }
  return 1;
}

// The RGB24 kernels ignore mirrors and decimation and write in_height rows
// of in_width pixels bottom-up into rows of out_width pixels. An output
// that is narrower or shorter than the input cannot hold that picture:
// refused rather than written past the destination.
uint8_t run_rgb24(ProgressiveKernel k, PathId path, ppl_context* c, const uint8_t* src, uint8_t* dst) {
  if (!walkable(c) || c->out_width < c->in_width || c->out_height < c->in_height) return 0;
  const int32_t row_bytes = 3 * c->out_width;
  Rgb24Frame f;
  f.src = src;
  f.width = c->in_width;
  f.line_pairs = c->in_height / 2;
  f.row0 = dst + static_cast<int64_t>(c->out_height - 1) * row_bytes;
  f.row_stride = -row_bytes;
  const Order422 order = k == ProgressiveKernel::kYuyvToRgb24 ? Order422::kYuyv : Order422::kUyvy;
  c->last_path = path;
  kProgressiveKernels[path].packed422_to_rgb24(f, order);
  return 1;
}

}  // namespace

uint8_t run_progressive_kernel(ProgressiveKernel k, PathId path, ppl_context* c, const uint8_t* src,
                               uint8_t* dst) {
  ++c->n_frame;
  switch (k) {
    case ProgressiveKernel::kYuyvToI420:
    case ProgressiveKernel::kUyvyToI420:
    case ProgressiveKernel::kYyyyToI420:
      return run_i420(k, path, c, src, dst);
    case ProgressiveKernel::kYuyvToRgb24:
    case ProgressiveKernel::kUyvyToRgb24:
      return run_rgb24(k, path, c, src, dst);
    case ProgressiveKernel::kRgb24ToRgb32:
      break;
  }
  return 0;
}

}  // namespace pplcam
