// The seven exported progressive converters: entry checks, floating-point
// bracket, processing operation, or the fallback fill.
#include "api/dispatch.h"
#include "api/fallback.h"
#include "core/fp_bracket.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

using YuvProcess = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                     int32_t, int32_t);

enum class Fill { kI420, kRgb24, kRgb32 };

int64_t area(int32_t w, int32_t h) { return w > 0 && h > 0 ? static_cast<int64_t>(w) * h : 0; }

// `src_bytes_per_2px` is the source size of two pixels: 4 for YUYV/UYVY,
// 3 for the 12-bytes-per-8-pixels formats, 6 for RGB24.
uint8_t yuv_converter(YuvProcess process, Fill fill, int src_bytes_per_2px, ppl_context* ctx,
                      const uint8_t* src, uint8_t* dst, int32_t iw, int32_t ih, int32_t ow,
                      int32_t oh) {
  if (!src || !dst) return 0;
  const void* buffers[] = {src, dst};
  if (choose_path(Caller::kConverter, ctx, buffers, 2) != PathId::kNone) {
    ConverterBracket bracket(ctx);
    if (bracket.ok()) return process(ctx, src, dst, iw, ih, ow, oh);
  }
  const int64_t n = area(ow, oh);
  FallbackWriter w(dst);
  if (fill == Fill::kI420) {
    // Whole lines: 3 x in_width / 2 bytes rounded down for the 12-bit
    // formats, so an odd width does not add half a byte per line.
    const int64_t line = iw > 0 ? static_cast<int64_t>(iw) * src_bytes_per_2px / 2 : 0;
    w.copy(src, line * (ih > 0 ? ih : 0), n);
    w.fill(128, n / 2);
  } else {
    w.fill(255, (fill == Fill::kRgb24 ? 3 : 4) * n);
  }
  return 0;
}

}  // namespace
}  // namespace pplcam

using pplcam::Fill;
using pplcam::yuv_converter;

#define PPL_YUV_CONVERTER(name, process, fill, bytes_per_2px)                                   \
  extern "C" uint8_t PPLCALL name(ppl_context* c, const uint8_t* s, uint8_t* d, int32_t iw,      \
                                  int32_t ih, int32_t ow, int32_t oh) {                        \
    return yuv_converter(process, fill, bytes_per_2px, c, s, d, iw, ih, ow, oh);               \
  }

PPL_YUV_CONVERTER(YUYVToI420MMX, ppl_process_yuyvtoi420, Fill::kI420, 4)
PPL_YUV_CONVERTER(UYVYToI420MMX, ppl_process_uyvytoi420, Fill::kI420, 4)
PPL_YUV_CONVERTER(YUYVToRGB24MMX, ppl_process_yuyvtorgb24, Fill::kRgb24, 4)
PPL_YUV_CONVERTER(UYVYToRGB24MMX, ppl_process_uyvytorgb24, Fill::kRgb24, 4)
PPL_YUV_CONVERTER(YUYVYYYYToI420MMX, ppl_process_yuyvyyyytoi420, Fill::kI420, 3)
PPL_YUV_CONVERTER(UYVYYYYYToI420MMX, ppl_process_uyvyyyyytoi420, Fill::kI420, 3)
PPL_YUV_CONVERTER(RGB24ToRGB32MMX, ppl_process_rgb24torgb32, Fill::kRgb32, 6)
