// The seven progressive processing operations: frame sizes, choice of path,
// the kernel.
#include "api/dispatch.h"
#include "api/frame_sizes.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

enum class YuvKernel { kYuyvI420, kUyvyI420, kYuyvRgb24, kUyvyRgb24, kYuyvyyyyI420, kUyvyyyyyI420, kRgb24Rgb32 };

uint8_t process_yuv(YuvKernel k, ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t iw,
                    int32_t ih, int32_t ow, int32_t oh) {
  if (!update_frame_sizes(ctx, iw, ih, ow, oh)) return 0;
  const void* buffers[] = {src, dst};
  const bool sse2 = use_sse2_path(ctx, buffers, 2);
  (void)sse2;
  (void)k;
  // The progressive kernels are not part of this build yet.
  return 0;
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

#define PPL_YUV_PROCESS(name, kernel)                                                      \
  extern "C" uint8_t PPLCALL name(ppl_context* c, const uint8_t* s, uint8_t* d, int32_t iw, \
                                  int32_t ih, int32_t ow, int32_t oh) {                   \
    return process_yuv(kernel, c, s, d, iw, ih, ow, oh);                                  \
  }

PPL_YUV_PROCESS(ppl_process_yuyvtoi420, YuvKernel::kYuyvI420)
PPL_YUV_PROCESS(ppl_process_uyvytoi420, YuvKernel::kUyvyI420)
PPL_YUV_PROCESS(ppl_process_yuyvtorgb24, YuvKernel::kYuyvRgb24)
PPL_YUV_PROCESS(ppl_process_uyvytorgb24, YuvKernel::kUyvyRgb24)
PPL_YUV_PROCESS(ppl_process_yuyvyyyytoi420, YuvKernel::kYuyvyyyyI420)
PPL_YUV_PROCESS(ppl_process_uyvyyyyytoi420, YuvKernel::kUyvyyyyyI420)
PPL_YUV_PROCESS(ppl_process_rgb24torgb32, YuvKernel::kRgb24Rgb32)
