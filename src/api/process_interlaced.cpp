// The interlaced processing operations (six exported, eight internal):
// frame sizes, choice of path, the deinterlacing kernel.
#include "api/dispatch.h"
#include "api/frame_sizes.h"
#include "api/process_internal.h"
#include "core/large_frames.h"
#include "pplcam/pplcam.h"
#include "yuv/interlaced.h"

namespace pplcam {
namespace {

using IntlInput = yuv::Order422;
using IntlOutput = yuv::IntlOutput;

uint8_t process_interlaced(IntlInput in, IntlOutput out, bool motion, PPL_INTL_ARGS) {
  ctx->last_path = PathId::kNone;
  if (!ref || !first || !second || !dst) return 0;
  if (!update_frame_sizes(ctx, in_width, in_height, out_width, out_height)) return 0;
  if (out == IntlOutput::kI420 && i420_height_refused(ctx)) return 0;
  const void* buffers[] = {ref, first, second, dst};
  return run_interlaced_kernel(in, out, motion, choose_path(Caller::kProcessing, ctx, buffers, 4), ctx, ref, first, second, dst);
}

}  // namespace

#define PPL_INTL_FORWARD ctx, ref, first, second, dst, in_width, in_height, out_width, out_height

uint8_t process_intlyuyvtoyuyv_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kYuyv, false, PPL_INTL_FORWARD); }
uint8_t process_intluyvytouyvy_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kUyvy, false, PPL_INTL_FORWARD); }
uint8_t process_intluyvytoyuyv(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kYuyv, true, PPL_INTL_FORWARD); }
uint8_t process_intluyvytoyuyv_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kYuyv, false, PPL_INTL_FORWARD); }
uint8_t process_intlyuyvtoi420_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kI420, false, PPL_INTL_FORWARD); }
uint8_t process_intluyvytoi420_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kI420, false, PPL_INTL_FORWARD); }
uint8_t process_intlyuyvtorgb24_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kRgb24, false, PPL_INTL_FORWARD); }
uint8_t process_intluyvytorgb24_no_motion(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kRgb24, false, PPL_INTL_FORWARD); }

}  // namespace pplcam

using namespace pplcam;

extern "C" {
uint8_t PPLCALL ppl_process_intlyuyvtoyuyv(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kYuyv, true, PPL_INTL_FORWARD); }
uint8_t PPLCALL ppl_process_intluyvytouyvy(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kUyvy, true, PPL_INTL_FORWARD); }
uint8_t PPLCALL ppl_process_intlyuyvtoi420(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kI420, true, PPL_INTL_FORWARD); }
uint8_t PPLCALL ppl_process_intluyvytoi420(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kI420, true, PPL_INTL_FORWARD); }
uint8_t PPLCALL ppl_process_intlyuyvtorgb24(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kYuyv, IntlOutput::kRgb24, true, PPL_INTL_FORWARD); }
uint8_t PPLCALL ppl_process_intluyvytorgb24(PPL_INTL_ARGS) { return process_interlaced(IntlInput::kUyvy, IntlOutput::kRgb24, true, PPL_INTL_FORWARD); }
}
