// The fifteen exported Bayer converters: entry checks, floating-point
// bracket, decimation mode, processing operation, or the fallback fill.
#include "api/dispatch.h"
#include "api/fallback.h"
#include "core/fp_bracket.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

using BayerProcess = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);

enum class Output { kYuv, kRgb24, kRgb32 };

// Fallback of one Bayer converter; n = width x height source bytes.
void bayer_fallback(Output out, int mode, const uint8_t* src, uint8_t* dst, int64_t n) {
  FallbackWriter w(dst);
  if (out == Output::kYuv) {
    if (mode == 0) {
      w.copy(src, n, n);
      w.fill(128, n / 2);
    } else if (mode == 1) {
      w.copy(src, n, n / 4);
      w.fill(128, n / 8);
    } else {
      // Double size: the luma holds 4n bytes but the source only n, so the
      // rest of the luma is mid-grey like the chroma.
      w.copy(src, n, n);
      w.fill(128, 3 * n + 2 * n);
    }
    return;
  }
  const int64_t bpp = out == Output::kRgb24 ? 3 : 4;
  const int64_t pixels = mode == 0 ? n : mode == 1 ? n / 4 : 4 * n;
  w.fill(255, bpp * pixels);
}

uint8_t bayer_converter(BayerProcess process, Output out, int mode, ppl_context* ctx, uint8_t* src,
                        uint8_t* dst, int32_t width, int32_t height) {
  if (!src || !dst) return 0;
  const void* buffers[] = {src, dst};
  if (choose_path(Caller::kConverter, ctx, buffers, 2) != PathId::kNone) {
    ConverterBracket bracket(ctx);
    if (bracket.ok()) {
      ppl_set_decimation(ctx, mode, 0, 0);
      return process(ctx, src, dst, width, height);
    }
  }
  const int64_t n = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
  bayer_fallback(out, mode, src, dst, n);
  return 0;
}

}  // namespace
}  // namespace pplcam

using pplcam::Output;
using pplcam::bayer_converter;

#define PPL_BAYER_CONVERTER(name, process, out, mode)                                       \
  extern "C" uint8_t PPLCALL name(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) { \
    return bayer_converter(process, out, mode, c, s, d, w, h);                              \
  }

PPL_BAYER_CONVERTER(BaylorToI420MMX, ppl_process_blrtoi420, Output::kYuv, 0)
PPL_BAYER_CONVERTER(BaylorToI420MMX_deci_2_1, ppl_process_blrtoi420, Output::kYuv, 1)
PPL_BAYER_CONVERTER(BaylorToI420MMX_intp_1_2, ppl_process_blrtoi420, Output::kYuv, -1)
PPL_BAYER_CONVERTER(BaylorToYUYVMMX, ppl_process_blrtoyuyv, Output::kYuv, 0)
PPL_BAYER_CONVERTER(BaylorToYUYVMMX_deci_2_1, ppl_process_blrtoyuyv, Output::kYuv, 1)
PPL_BAYER_CONVERTER(BaylorToYUYVMMX_intp_1_2, ppl_process_blrtoyuyv, Output::kYuv, -1)
PPL_BAYER_CONVERTER(BaylorToUYVYMMX, ppl_process_blrtouyvy, Output::kYuv, 0)
PPL_BAYER_CONVERTER(BaylorToUYVYMMX_deci_2_1, ppl_process_blrtouyvy, Output::kYuv, 1)
PPL_BAYER_CONVERTER(BaylorToUYVYMMX_intp_1_2, ppl_process_blrtouyvy, Output::kYuv, -1)
PPL_BAYER_CONVERTER(BaylorToRGB24MMX, ppl_process_blrtorgb24, Output::kRgb24, 0)
PPL_BAYER_CONVERTER(BaylorToRGB24MMX_deci_2_1, ppl_process_blrtorgb24, Output::kRgb24, 1)
PPL_BAYER_CONVERTER(BaylorToRGB24MMX_intp_1_2, ppl_process_blrtorgb24, Output::kRgb24, -1)
PPL_BAYER_CONVERTER(BaylorToRGB32MMX, ppl_process_blrtorgb32, Output::kRgb32, 0)
PPL_BAYER_CONVERTER(BaylorToRGB32MMX_deci_2_1, ppl_process_blrtorgb32, Output::kRgb32, 1)
PPL_BAYER_CONVERTER(BaylorToRGB32MMX_intp_1_2, ppl_process_blrtorgb32, Output::kRgb32, -1)
