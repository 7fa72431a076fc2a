// The seven progressive processing operations: frame sizes, choice of path,
// the kernel.
#include "api/dispatch.h"
#include "api/frame_sizes.h"
#include "core/large_frames.h"
#include "pplcam/pplcam.h"
#include "yuv/progressive.h"

namespace pplcam {
namespace {

uint8_t process_yuv(ProgressiveKernel k, ppl_context* ctx, const uint8_t* src, uint8_t* dst,
                    int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  ctx->last_path = PathId::kNone;
  if (!src || !dst || !update_frame_sizes(ctx, iw, ih, ow, oh)) return 0;
  const bool i420 = k == ProgressiveKernel::kYuyvToI420 || k == ProgressiveKernel::kUyvyToI420 ||
                    k == ProgressiveKernel::kYyyyToI420;
  if (i420 && i420_height_refused(ctx)) return 0;
  const void* buffers[] = {src, dst};
  return run_progressive_kernel(k, choose_path(Caller::kProcessing, ctx, buffers, 2), ctx, src, dst);
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

#define PPL_YUV_PROCESS(name, kernel)                                                      \
  extern "C" uint8_t PPLCALL name(ppl_context* c, const uint8_t* s, uint8_t* d, int32_t iw, \
                                  int32_t ih, int32_t ow, int32_t oh) {                   \
    return process_yuv(kernel, c, s, d, iw, ih, ow, oh);                                  \
  }

PPL_YUV_PROCESS(ppl_process_yuyvtoi420, ProgressiveKernel::kYuyvToI420)
PPL_YUV_PROCESS(ppl_process_uyvytoi420, ProgressiveKernel::kUyvyToI420)
PPL_YUV_PROCESS(ppl_process_yuyvtorgb24, ProgressiveKernel::kYuyvToRgb24)
PPL_YUV_PROCESS(ppl_process_uyvytorgb24, ProgressiveKernel::kUyvyToRgb24)
PPL_YUV_PROCESS(ppl_process_yuyvyyyytoi420, ProgressiveKernel::kYyyyToI420)
PPL_YUV_PROCESS(ppl_process_uyvyyyyytoi420, ProgressiveKernel::kYyyyToI420)
PPL_YUV_PROCESS(ppl_process_rgb24torgb32, ProgressiveKernel::kRgb24ToRgb32)
