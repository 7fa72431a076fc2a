#include "frame_converter.h"

#include <chrono>
#include <cstring>

#include "tool_error.h"

namespace pplcam_tool {

namespace {

typedef uint8_t(PPLCALL* BayerFn)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
typedef uint8_t(PPLCALL* YuvFn)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t);
typedef uint8_t(PPLCALL* IntlFn)(ppl_context*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                 int32_t, int32_t, int32_t);

struct BayerEntry {
  const char* name;
  BayerFn fn;
};

// [pixel format][full, half, double]
const BayerEntry kBayer[5][3] = {
    {{"BaylorToI420MMX", BaylorToI420MMX},
     {"BaylorToI420MMX_deci_2_1", BaylorToI420MMX_deci_2_1},
     {"BaylorToI420MMX_intp_1_2", BaylorToI420MMX_intp_1_2}},
    {{"BaylorToYUYVMMX", BaylorToYUYVMMX},
     {"BaylorToYUYVMMX_deci_2_1", BaylorToYUYVMMX_deci_2_1},
     {"BaylorToYUYVMMX_intp_1_2", BaylorToYUYVMMX_intp_1_2}},
    {{"BaylorToUYVYMMX", BaylorToUYVYMMX},
     {"BaylorToUYVYMMX_deci_2_1", BaylorToUYVYMMX_deci_2_1},
     {"BaylorToUYVYMMX_intp_1_2", BaylorToUYVYMMX_intp_1_2}},
    {{"BaylorToRGB24MMX", BaylorToRGB24MMX},
     {"BaylorToRGB24MMX_deci_2_1", BaylorToRGB24MMX_deci_2_1},
     {"BaylorToRGB24MMX_intp_1_2", BaylorToRGB24MMX_intp_1_2}},
    {{"BaylorToRGB32MMX", BaylorToRGB32MMX},
     {"BaylorToRGB32MMX_deci_2_1", BaylorToRGB32MMX_deci_2_1},
     {"BaylorToRGB32MMX_intp_1_2", BaylorToRGB32MMX_intp_1_2}},
};

// Canary value of an untouched destination.
constexpr uint8_t kCanary = 0xA5;

bool untouched(const FrameBuffer& b) {
  for (uint8_t v : b)
    if (v != kCanary) return false;
  return true;
}

std::string usage_error_prefix(const ConversionPlan& p) {
  return std::string(name_of(p.input)) + " " + to_string(p.in) + " to " + name_of(p.output) + " at " +
         name_of(p.mode) + ": ";
}

}  // namespace

const char* describe(Outcome o) {
  switch (o) {
    case Outcome::kConverted: return "converted";
    case Outcome::kRawPassthrough: return "raw passthrough";
    case Outcome::kNothing: return "not available in this build";
    case Outcome::kFallback: return "fallback fill (no kernel could run)";
  }
  return "?";
}

std::string accepted_bayer_sizes() {
  return "widths 128 to 4096 in steps of 16, even heights 12 to 4096 (for example 1920x1080), "
         "an output within 4096x4096 and, beyond 1280x1024, an even i420 output height";
}

std::string accepted_yuv_sizes() {
  return "widths 128 to 4096 in steps of 16, even heights 12 to 4096 (for example 3840x2160)";
}

std::string accepted_interlaced_sizes() {
  return "widths 128 to 4096 in steps of 16 (32 at half size), even heights 12 to 4096, to the same size, "
         "half or quarter; and the PAL/NTSC pairs with black lines: 480x480 to 480x576; 704xH to 704x(>=H), "
         "352x(>=H/2) or 176x(>=H/4); 720xH to 720x(>=H) (H is 480 or 576)";
}

FrameConverter::FrameConverter(ppl_context* ctx, const ConversionPlan& plan, size_t buffer_offset)
    : ctx_(ctx), plan_(plan) {
  const std::string why = usage_error_prefix(plan);
  const Size in = plan.in;

  if (is_bayer(plan.input)) {
    if (plan.mode == SizeMode::kQuarter)
      fail(kExitUsage, why + "Bayer frames convert at full, half (--half) or double (--double) size only");
    const int m = plan.mode == SizeMode::kFull ? 0 : plan.mode == SizeMode::kHalf ? 1 : 2;
    name_ = kBayer[int(plan.output)][m].name;
    out_ = plan.mode == SizeMode::kFull   ? in
           : plan.mode == SizeMode::kHalf ? Size{in.width / 2, in.height / 2}
                                          : Size{in.width * 2, in.height * 2};
    const bool large = in.width > 1280 || in.height > 1024;
    if (in.width < 128 || in.width > 4096 || in.width % 16 != 0 || in.height < 12 || in.height > 4096 ||
        in.height % 2 != 0 || (large && (out_.width > 4096 || out_.height > 4096)) ||
        (large && plan.output == PixelFormat::kI420 && out_.height % 2 != 0) ||
        !ppl_new_frame_size(ctx, in.width, in.height))
      fail(kExitUsage, "Bayer size " + to_string(in) + " refused; accepted: " + accepted_bayer_sizes());
  } else if (!is_interlaced(plan.input)) {
    const bool yuyv = plan.input == InputFormat::kYuyv;
    if (plan.mode != SizeMode::kFull)
      fail(kExitUsage, why + "progressive YUV converts at full size only");
    if (plan.output == PixelFormat::kI420) name_ = yuyv ? "YUYVToI420MMX" : "UYVYToI420MMX";
    else if (plan.output == PixelFormat::kRgb24) name_ = yuyv ? "YUYVToRGB24MMX" : "UYVYToRGB24MMX";
    else fail(kExitUsage, why + "progressive YUV converts to i420 or rgb24 (png, bmp, y4m) only");
    out_ = in;
    if (in.width < 128 || in.width > 4096 || in.width % 16 != 0 || in.height < 12 || in.height > 4096 ||
        in.height % 2 != 0 || !ppl_new_frame_sizes(ctx, in.width, in.height, in.width, in.height) ||
        ppl_decimation(ctx) != 0)
      fail(kExitUsage, "YUV size " + to_string(in) + " refused; accepted: " + accepted_yuv_sizes());
  } else {
    const bool yuyv = plan.input == InputFormat::kIntlYuyv;
    if (plan.mode == SizeMode::kDouble) fail(kExitUsage, why + "interlaced input has no double size");
    switch (plan.output) {
      case PixelFormat::kI420: name_ = yuyv ? "IntlYUYVToI420MMX" : "IntlUYVYToI420MMX"; break;
      case PixelFormat::kRgb24: name_ = yuyv ? "IntlYUYVToRGB24MMX" : "IntlUYVYToRGB24MMX"; break;
      case PixelFormat::kYuyv:
        if (!yuyv) fail(kExitUsage, why + "interlaced UYVY converts to uyvy, i420 or rgb24");
        name_ = "IntlYUYVToYUYVMMX";
        break;
      case PixelFormat::kUyvy:
        if (yuyv) fail(kExitUsage, why + "interlaced YUYV converts to yuyv, i420 or rgb24");
        name_ = "IntlUYVYToUYVYMMX";
        break;
      default: fail(kExitUsage, why + "interlaced input converts to its own packed format, i420 or rgb24");
    }
    if (plan.no_motion) name_ += "_no_motion";
    out_ = plan.out;
    if (out_.width == 0) {
      const int shift = plan.mode == SizeMode::kFull ? 0 : plan.mode == SizeMode::kHalf ? 1 : 2;
      out_ = {in.width >> shift, in.height >> shift};
    }
    if (!ppl_new_frame_sizes(ctx, in.width, in.height, out_.width, out_.height))
      fail(kExitUsage, "interlaced size " + to_string(in) + " to " + to_string(out_) +
                           " refused; accepted: " + accepted_interlaced_sizes());
    const size_t field = input_bytes() / 2;
    ref_.resize(field, buffer_offset);
    first_.resize(field, buffer_offset);
    second_.resize(field, buffer_offset);
  }
  src_.resize(input_bytes(), buffer_offset);
  dst_.resize(pixel_frame_bytes(plan.output, out_), buffer_offset);
}

Outcome FrameConverter::convert(const uint8_t* frame) {
  if (is_interlaced(plan_.input)) {
    const size_t line = size_t(plan_.in.width) * 2;
    const size_t field = first_.size();
    if (plan_.woven) {
      for (int k = 0; k < plan_.in.height / 2; ++k) {
        std::memcpy(first_.data() + k * line, frame + (2 * k) * line, line);
        std::memcpy(second_.data() + k * line, frame + (2 * k + 1) * line, line);
      }
    } else {
      std::memcpy(first_.data(), frame, field);
      std::memcpy(second_.data(), frame + field, field);
    }
    if (!have_reference_) std::memcpy(ref_.data(), second_.data(), field);
  } else {
    std::memcpy(src_.data(), frame, src_.size());
  }
  std::memset(dst_.data(), kCanary, dst_.size());
  const auto start = std::chrono::steady_clock::now();
  const bool result = call_library() == Outcome::kConverted;
  last_call_seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Outcome outcome;
  if (untouched(dst_)) outcome = Outcome::kNothing;
  else if (result) outcome = Outcome::kConverted;
  else outcome = is_bayer(plan_.input) ? Outcome::kRawPassthrough : Outcome::kFallback;
  if (is_interlaced(plan_.input)) {
    std::memcpy(ref_.data(), second_.data(), second_.size());
    have_reference_ = true;
  }
  return outcome;
}

// Returns kConverted for a library result of 1, kNothing for 0.
Outcome FrameConverter::call_library() {
  const Size in = plan_.in;
  uint8_t r = 0;
  if (is_bayer(plan_.input)) {
    const int m = plan_.mode == SizeMode::kFull ? 0 : plan_.mode == SizeMode::kHalf ? 1 : 2;
    r = kBayer[int(plan_.output)][m].fn(ctx_, src_.data(), dst_.data(), in.width, in.height);
  } else if (!is_interlaced(plan_.input)) {
    const bool yuyv = plan_.input == InputFormat::kYuyv;
    YuvFn fn = plan_.output == PixelFormat::kI420 ? (yuyv ? YUYVToI420MMX : UYVYToI420MMX)
                                                   : (yuyv ? YUYVToRGB24MMX : UYVYToRGB24MMX);
    r = fn(ctx_, src_.data(), dst_.data(), in.width, in.height, out_.width, out_.height);
  } else {
    const bool yuyv = plan_.input == InputFormat::kIntlYuyv;
    const bool nm = plan_.no_motion;
    IntlFn fn = nullptr;
    switch (plan_.output) {
      case PixelFormat::kI420:
        fn = yuyv ? (nm ? IntlYUYVToI420MMX_no_motion : IntlYUYVToI420MMX)
                  : (nm ? IntlUYVYToI420MMX_no_motion : IntlUYVYToI420MMX);
        break;
      case PixelFormat::kRgb24:
        fn = yuyv ? (nm ? IntlYUYVToRGB24MMX_no_motion : IntlYUYVToRGB24MMX)
                  : (nm ? IntlUYVYToRGB24MMX_no_motion : IntlUYVYToRGB24MMX);
        break;
      case PixelFormat::kYuyv: fn = nm ? IntlYUYVToYUYVMMX_no_motion : IntlYUYVToYUYVMMX; break;
      default: fn = nm ? IntlUYVYToUYVYMMX_no_motion : IntlUYVYToUYVYMMX; break;
    }
    r = fn(ctx_, ref_.data(), first_.data(), second_.data(), dst_.data(), in.width, in.height, out_.width,
           out_.height);
  }
  return r ? Outcome::kConverted : Outcome::kNothing;
}

}  // namespace pplcam_tool
