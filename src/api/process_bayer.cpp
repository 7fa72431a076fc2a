// The five Bayer processing operations: frame size, per-frame statistics
// clearing, choice of path, the Bayer frame driver, statistics
// post-processing.
#include "api/dispatch.h"
#include "bayer/driver.h"
#include "controls/frame_statistics.h"
#include "core/geometry.h"
#include "core/large_frames.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

uint8_t process_bayer(BayerOutput out, ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width,
                      int32_t height) {
  ctx->last_path = PathId::kNone;
  if (!src || !dst) return 0;
  if (width != ctx->in_width || height != ctx->in_height) {
    if (!resize_frame(ctx, width, height)) return 0;
  }
  // Negative black lines (stored unchecked by ppl_set_decimation) would
  // place rows before dst; refused like a refused size, statistics kept.
  if (!output_fits(ctx)) return 0;
  if (out == BayerOutput::kI420 && i420_height_refused(ctx)) return 0;
  clear_frame_statistics(ctx);
  const void* buffers[] = {src, dst};
  const uint8_t result = run_bayer_driver(out, choose_path(Caller::kProcessing, ctx, buffers, 2, ctx->in_width), ctx, src, dst);
  postprocess_frame_statistics(ctx);
  return result;
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_process_blrtoi420(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
  return process_bayer(BayerOutput::kI420, c, s, d, w, h);
}
uint8_t PPLCALL ppl_process_blrtoyuyv(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
  return process_bayer(BayerOutput::kYuyv, c, s, d, w, h);
}
uint8_t PPLCALL ppl_process_blrtouyvy(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
  return process_bayer(BayerOutput::kUyvy, c, s, d, w, h);
}
uint8_t PPLCALL ppl_process_blrtorgb24(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
  return process_bayer(BayerOutput::kRgb24, c, s, d, w, h);
}
uint8_t PPLCALL ppl_process_blrtorgb32(ppl_context* c, uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
  return process_bayer(BayerOutput::kRgb32, c, s, d, w, h);
}

}  // extern "C"
