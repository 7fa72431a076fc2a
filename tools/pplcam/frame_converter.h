// One conversion of the library, chosen from the input format, the pixel
// format wanted and the size mode, with the checks that make its outcome
// honest: sizes the library refuses are reported before any frame is
// touched, and a call that leaves the destination untouched is reported as
// producing nothing rather than as a picture.
#pragma once

#include <cstdint>
#include <string>

#include "formats.h"
#include "library.h"

namespace pplcam_tool {

struct ConversionPlan {
  InputFormat input = InputFormat::kBayer;
  PixelFormat output = PixelFormat::kRgb24;
  SizeMode mode = SizeMode::kFull;
  Size in;
  Size out;                 // interlaced input only: 0x0 derives it from the mode
  bool no_motion = false;   // interlaced input: plain weave instead of the motion test
  bool woven = false;       // interlaced input: frame lines interleaved, not field after field
};

enum class Outcome {
  kConverted,       // the library converted the frame
  kRawPassthrough,  // Bayer quality 4 or 5: the raw bytes, as the library passes them through
  kNothing,         // the library wrote nothing: this conversion is not in this build
  kFallback,        // the library wrote its fallback fill instead of a picture
};

const char* describe(Outcome o);

class FrameConverter {
 public:
  // Checks the plan against what the library offers and the sizes it
  // accepts; throws ToolError(kExitUsage) with a one-line reason.
  // buffer_offset 8 places every buffer 8 bytes past a 16-byte boundary,
  // which makes the library take its MMX path.
  FrameConverter(ppl_context* ctx, const ConversionPlan& plan, size_t buffer_offset = 0);

  // Converts one input frame (input_frame_bytes of the plan's input) into
  // output(). Bayer frames are copied first: the library conditions its
  // source in place. Interlaced frames use the previous frame's second
  // field as reference (the frame's own for the first one).
  Outcome convert(const uint8_t* frame);

  // Calls the library once more on the buffers of the last convert(),
  // without copying or checking anything: for timing. Returns its result.
  bool run_again() { return call_library() == Outcome::kConverted; }

  // Seconds the library call of the last convert() took (copies and
  // checks around it left out).
  double last_call_seconds() const { return last_call_seconds_; }

  const FrameBuffer& output() const { return dst_; }
  Size out_size() const { return out_; }
  size_t input_bytes() const { return input_frame_bytes(plan_.input, plan_.in); }
  size_t output_bytes() const { return dst_.size(); }
  const std::string& function_name() const { return name_; }
  // The source after the last Bayer call (conditioned in place).
  const FrameBuffer& source() const { return src_; }

 private:
  Outcome call_library();

  ppl_context* ctx_;
  ConversionPlan plan_;
  Size out_;
  std::string name_;
  FrameBuffer src_, ref_, first_, second_, dst_;
  bool have_reference_ = false;
  double last_call_seconds_ = 0;
};

// Human-readable lists of the sizes the library accepts, for error messages.
std::string accepted_bayer_sizes();
std::string accepted_yuv_sizes();
std::string accepted_interlaced_sizes();

}  // namespace pplcam_tool
