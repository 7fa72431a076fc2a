// The fourteen exported interlaced converters: entry checks, floating-point
// bracket, processing operation, or the fallback fill.
#include "api/dispatch.h"
#include "api/fallback.h"
#include "api/process_internal.h"
#include "core/fp_bracket.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

using IntlProcess = uint8_t (*)(PPL_INTL_ARGS);

enum class Fill { kPacked, kI420, kRgb24 };

int64_t area(int32_t w, int32_t h) { return w > 0 && h > 0 ? static_cast<int64_t>(w) * h : 0; }

uint8_t intl_converter(IntlProcess process, Fill fill, ppl_context* ctx, const uint8_t* ref,
                       const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t iw,
                       int32_t ih, int32_t ow, int32_t oh) {
  if (!ref || !first || !second || !dst) return 0;
  const void* buffers[] = {ref, first, second, dst};
  if (choose_path(Caller::kConverter, ctx, buffers, 4) != PathId::kNone) {
    ConverterBracket bracket(ctx);
    if (bracket.ok()) return process(ctx, ref, first, second, dst, iw, ih, ow, oh);
  }
  const int64_t n = area(ow, oh);
  // A field is in_height/2 lines of 2 x in_width bytes: one line less than
  // in_width x in_height bytes when in_height is odd.
  const int64_t field = 2 * area(iw, ih / 2);
  FallbackWriter w(dst);
  switch (fill) {
    case Fill::kPacked:
      w.copy(first, field, n);
      w.copy(second, field, n);
      break;
    case Fill::kI420:
      w.copy(first, field, n);
      w.fill(128, n / 2);
      break;
    case Fill::kRgb24:
      w.fill(255, 3 * n);
      break;
  }
  return 0;
}

// The exported operations in the shape of the internal ones.
uint8_t p_yuyv_yuyv(PPL_INTL_ARGS) { return ppl_process_intlyuyvtoyuyv(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }
uint8_t p_uyvy_uyvy(PPL_INTL_ARGS) { return ppl_process_intluyvytouyvy(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }
uint8_t p_yuyv_i420(PPL_INTL_ARGS) { return ppl_process_intlyuyvtoi420(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }
uint8_t p_uyvy_i420(PPL_INTL_ARGS) { return ppl_process_intluyvytoi420(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }
uint8_t p_yuyv_rgb24(PPL_INTL_ARGS) { return ppl_process_intlyuyvtorgb24(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }
uint8_t p_uyvy_rgb24(PPL_INTL_ARGS) { return ppl_process_intluyvytorgb24(ctx, ref, first, second, dst, in_width, in_height, out_width, out_height); }

}  // namespace
}  // namespace pplcam

using namespace pplcam;

#define PPL_INTL_CONVERTER(name, process, fill)                                                 \
  extern "C" uint8_t PPLCALL name(ppl_context* c, const uint8_t* r, const uint8_t* f1,          \
                                  const uint8_t* f2, uint8_t* d, int32_t iw, int32_t ih,         \
                                  int32_t ow, int32_t oh) {                                     \
    return intl_converter(process, fill, c, r, f1, f2, d, iw, ih, ow, oh);                      \
  }

PPL_INTL_CONVERTER(IntlYUYVToYUYVMMX, p_yuyv_yuyv, Fill::kPacked)
PPL_INTL_CONVERTER(IntlYUYVToYUYVMMX_no_motion, process_intlyuyvtoyuyv_no_motion, Fill::kPacked)
PPL_INTL_CONVERTER(IntlUYVYToUYVYMMX, p_uyvy_uyvy, Fill::kPacked)
PPL_INTL_CONVERTER(IntlUYVYToUYVYMMX_no_motion, process_intluyvytouyvy_no_motion, Fill::kPacked)
PPL_INTL_CONVERTER(IntlUYVYToYUYVMMX, process_intluyvytoyuyv, Fill::kPacked)
PPL_INTL_CONVERTER(IntlUYVYToYUYVMMX_no_motion, process_intluyvytoyuyv_no_motion, Fill::kPacked)
PPL_INTL_CONVERTER(IntlYUYVToI420MMX, p_yuyv_i420, Fill::kI420)
PPL_INTL_CONVERTER(IntlYUYVToI420MMX_no_motion, process_intlyuyvtoi420_no_motion, Fill::kI420)
PPL_INTL_CONVERTER(IntlUYVYToI420MMX, p_uyvy_i420, Fill::kI420)
PPL_INTL_CONVERTER(IntlUYVYToI420MMX_no_motion, process_intluyvytoi420_no_motion, Fill::kI420)
PPL_INTL_CONVERTER(IntlYUYVToRGB24MMX, p_yuyv_rgb24, Fill::kRgb24)
PPL_INTL_CONVERTER(IntlYUYVToRGB24MMX_no_motion, process_intlyuyvtorgb24_no_motion, Fill::kRgb24)
PPL_INTL_CONVERTER(IntlUYVYToRGB24MMX, p_uyvy_rgb24, Fill::kRgb24)
PPL_INTL_CONVERTER(IntlUYVYToRGB24MMX_no_motion, process_intluyvytorgb24_no_motion, Fill::kRgb24)
