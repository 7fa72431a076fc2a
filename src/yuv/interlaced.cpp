// The interlaced kernels' common steps: the frame count, the refusal of
// geometries the walk cannot cover, and the frame description built from
// the context.
#include "yuv/interlaced.h"

#include "core/path_types.h"

namespace pplcam {
namespace {

using yuv::IntlFrame;

using InterlacedFrame = void (*)(IntlFrame, const ppl_context*, yuv::Order422, yuv::IntlOutput);

// One row per path, in PathId order.
constexpr PathTable<InterlacedFrame> kInterlacedKernels = path_table<InterlacedFrame>(
    yuv::interlaced_frame<MmxPath>,
    yuv::interlaced_frame<Sse2Path>,
    yuv::interlaced_frame<Avx2Path>,
    yuv::interlaced_frame<Avx512Path>);

// Picture size of the decimation mode: the deinterlaced frame, half or
// quarter of one field, or the frame doubled.
void picture_size(const ppl_context* c, int32_t* width, int32_t* height) {
  const int32_t w = c->in_width, field_lines = c->in_height / 2;
  switch (c->decimation) {
    case 1: *width = w / 2; *height = field_lines; break;
    case 2: *width = w / 4; *height = field_lines / 2; break;
    case -1: *width = 2 * w; *height = 4 * field_lines; break;
    default: *width = w; *height = 2 * field_lines; break;
  }
}

// The line builders step over 16 pixels (32 at half size) and the I420
// writer needs 32-pixel lines in pairs; the work-area line buffers are
// rings of the context (2032 input pixels in its own area: 2 x width bytes,
// or 2 x width + 32 bytes of motion differences). The output must be
// exactly picture plus black lines.
bool walkable(const ppl_context* c, int32_t pw, int32_t ph) {
  const int32_t w = c->in_width;
  if (w % 16 != 0 || w < 32 || 2 * w + 32 > static_cast<int64_t>(c->ring_mask) + 1 || c->in_height < 2) return false;
  if (c->decimation == 1 && w % 32 != 0) return false;
  if (pw % 16 != 0 || pw < 32 || ph < 2 || ph % 2 != 0) return false;
  return c->out_width == pw && c->top_black_lines >= 0 && c->bottom_black_lines >= 0 &&
         static_cast<int64_t>(c->out_height) ==
             static_cast<int64_t>(ph) + c->top_black_lines + c->bottom_black_lines;
}

}  // namespace

uint8_t run_interlaced_kernel(yuv::Order422 input, yuv::IntlOutput output, bool motion, PathId path,
                              ppl_context* c, const uint8_t* ref, const uint8_t* first,
                              const uint8_t* second, uint8_t* dst) {
  ++c->n_frame;
  int32_t pw, ph;
  picture_size(c, &pw, &ph);
  if (!walkable(c, pw, ph)) return 0;

  IntlFrame f;
  f.ref = ref;
  f.first = first;
  f.second = second;
  f.width = c->in_width;
  f.field_lines = c->in_height / 2;
  f.decimation = c->decimation;
  // Decimation 1 and 2 build the picture from the first field alone.
  f.motion = motion && c->decimation <= 0;
  f.threshold = nullptr;
  f.dst = dst;
  f.u_plane = dst + static_cast<int64_t>(c->out_width) * c->out_height;
  f.v_plane = f.u_plane + c->out_quarter;
  f.out_width = c->out_width;
  f.out_height = c->out_height;
  f.top = c->top_black_lines;
  f.bottom = c->bottom_black_lines;
  f.picture_width = pw;
  f.picture_height = ph;
  f.line_a = c->ring[kPlaneRing1];
  f.line_b = c->ring[kPlaneRing2];
  f.wide_line = c->ring[kGreenRing];
  f.differences = c->ring[kLumaRing];

  c->last_path = path;
  kInterlacedKernels[path](f, c, input, output);
  return 1;
}

}  // namespace pplcam
