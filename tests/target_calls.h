// Every exported frame function (the 36 converters and the 18 processing
// operations) by argument shape, with frames they accept, for the tests that
// check how calls leave the machine (x87/MMX state, stdcall stack
// discipline) and the processing operations' bounds.
#pragma once

#include <cstdint>
#include <vector>

#include "pplcam/pplcam.h"
#include "support/buffers.h"

namespace pplcam::test {

// Typed the way a caller that only has the public header would type them.
using BayerFn = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
using ProgressiveFn = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                        int32_t, int32_t);
using InterlacedFn = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, const uint8_t*,
                                       const uint8_t*, uint8_t*, int32_t, int32_t, int32_t,
                                       int32_t);

enum class Shape { kBayer, kProgressive, kInterlaced };

struct FrameFunction {
  const char* name;
  Shape shape;
  BayerFn bayer;
  ProgressiveFn progressive;
  InterlacedFn interlaced;
  int input_bytes_per_pixel_x2;    // progressive: 4 (YUYV), 3 (YUYVYYYY), 6 (RGB24)
  int output_bytes_per_pixel_x2;   // 3 (I420), 4 (YUYV, UYVY), 6 (RGB24), 8 (RGB32)
};

#define PPL_BAYER(f, out2) FrameFunction{#f, Shape::kBayer, f, nullptr, nullptr, 2, out2}
#define PPL_PROG(f, in2, out2) FrameFunction{#f, Shape::kProgressive, nullptr, f, nullptr, in2, out2}
#define PPL_INTL(f, out2) FrameFunction{#f, Shape::kInterlaced, nullptr, nullptr, f, 4, out2}

inline const std::vector<FrameFunction>& exported_frame_functions() {
  static const std::vector<FrameFunction> all = {
      PPL_BAYER(BaylorToI420MMX, 3), PPL_BAYER(BaylorToI420MMX_deci_2_1, 3), PPL_BAYER(BaylorToI420MMX_intp_1_2, 3),
      PPL_BAYER(BaylorToYUYVMMX, 4), PPL_BAYER(BaylorToYUYVMMX_deci_2_1, 4), PPL_BAYER(BaylorToYUYVMMX_intp_1_2, 4),
      PPL_BAYER(BaylorToUYVYMMX, 4), PPL_BAYER(BaylorToUYVYMMX_deci_2_1, 4), PPL_BAYER(BaylorToUYVYMMX_intp_1_2, 4),
      PPL_BAYER(BaylorToRGB24MMX, 6), PPL_BAYER(BaylorToRGB24MMX_deci_2_1, 6),
      PPL_BAYER(BaylorToRGB24MMX_intp_1_2, 6), PPL_BAYER(BaylorToRGB32MMX, 8),
      PPL_BAYER(BaylorToRGB32MMX_deci_2_1, 8), PPL_BAYER(BaylorToRGB32MMX_intp_1_2, 8),
      PPL_BAYER(ppl_process_blrtoi420, 3), PPL_BAYER(ppl_process_blrtoyuyv, 4),
      PPL_BAYER(ppl_process_blrtouyvy, 4), PPL_BAYER(ppl_process_blrtorgb24, 6),
      PPL_BAYER(ppl_process_blrtorgb32, 8),

      PPL_PROG(YUYVToI420MMX, 4, 3), PPL_PROG(UYVYToI420MMX, 4, 3), PPL_PROG(YUYVToRGB24MMX, 4, 6),
      PPL_PROG(UYVYToRGB24MMX, 4, 6), PPL_PROG(YUYVYYYYToI420MMX, 3, 3),
      PPL_PROG(UYVYYYYYToI420MMX, 3, 3), PPL_PROG(RGB24ToRGB32MMX, 6, 8),
      PPL_PROG(ppl_process_yuyvtoi420, 4, 3), PPL_PROG(ppl_process_uyvytoi420, 4, 3),
      PPL_PROG(ppl_process_yuyvtorgb24, 4, 6), PPL_PROG(ppl_process_uyvytorgb24, 4, 6),
      PPL_PROG(ppl_process_yuyvyyyytoi420, 3, 3), PPL_PROG(ppl_process_uyvyyyyytoi420, 3, 3),
      PPL_PROG(ppl_process_rgb24torgb32, 6, 8),

      PPL_INTL(IntlYUYVToYUYVMMX, 4), PPL_INTL(IntlYUYVToYUYVMMX_no_motion, 4),
      PPL_INTL(IntlUYVYToUYVYMMX, 4), PPL_INTL(IntlUYVYToUYVYMMX_no_motion, 4),
      PPL_INTL(IntlUYVYToYUYVMMX, 4), PPL_INTL(IntlUYVYToYUYVMMX_no_motion, 4),
      PPL_INTL(IntlYUYVToI420MMX, 3), PPL_INTL(IntlYUYVToI420MMX_no_motion, 3),
      PPL_INTL(IntlUYVYToI420MMX, 3), PPL_INTL(IntlUYVYToI420MMX_no_motion, 3),
      PPL_INTL(IntlYUYVToRGB24MMX, 6), PPL_INTL(IntlYUYVToRGB24MMX_no_motion, 6),
      PPL_INTL(IntlUYVYToRGB24MMX, 6), PPL_INTL(IntlUYVYToRGB24MMX_no_motion, 6),
      PPL_INTL(ppl_process_intlyuyvtoyuyv, 4), PPL_INTL(ppl_process_intluyvytouyvy, 4),
      PPL_INTL(ppl_process_intlyuyvtoi420, 3), PPL_INTL(ppl_process_intluyvytoi420, 3),
      PPL_INTL(ppl_process_intlyuyvtorgb24, 6), PPL_INTL(ppl_process_intluyvytorgb24, 6),
  };
  return all;
}

#undef PPL_BAYER
#undef PPL_PROG
#undef PPL_INTL

// One frame geometry: the input size (Bayer: the raw size) and, for the YUV
// shapes, an output size from the accepted-size table.
struct FrameSize {
  int32_t in_w, in_h, out_w, out_h;
};

// Sizes that reach the kernels: each decimation mode of the YUV table and
// one with black lines; Bayer sizes with a whole number of column groups on
// both paths.
inline std::vector<FrameSize> frame_sizes(Shape shape) {
  if (shape == Shape::kBayer) return {{320, 240, 0, 0}, {128, 12, 0, 0}};
  return {{320, 240, 320, 240}, {320, 240, 160, 120}, {640, 480, 1280, 960},
          {704, 480, 176, 120}, {720, 480, 720, 486}};
}

// Calls f on `src` (interlaced: reference, first and second field) and dst.
inline uint8_t call_frame_function(const FrameFunction& f, ppl_context* c, uint8_t* const* src, uint8_t* dst,
                                   const FrameSize& s) {
  switch (f.shape) {
    case Shape::kBayer:
      return f.bayer(c, src[0], dst, s.in_w, s.in_h);
    case Shape::kProgressive:
      return f.progressive(c, src[0], dst, s.in_w, s.in_h, s.out_w, s.out_h);
    case Shape::kInterlaced:
      return f.interlaced(c, src[0], src[1], src[2], dst, s.in_w, s.in_h, s.out_w, s.out_h);
  }
  return 0;
}

// Buffers for one call: inputs of random bytes and a destination large
// enough for any output of the size, all at `align`.
class FrameBuffers {
 public:
  FrameBuffers(const FrameFunction& f, const FrameSize& s, Align align, uint32_t seed)
      : src_(input_bytes(f, s), align),
        first_(field_bytes(s), align),
        second_(field_bytes(s), align),
        dst_(output_bytes(s), align) {
    fill_random(src_.data(), src_.size(), seed);
    fill_random(first_.data(), first_.size(), seed + 1);
    fill_random(second_.data(), second_.size(), seed + 2);
  }

  // Calls f on these buffers.
  uint8_t call(const FrameFunction& f, ppl_context* c, const FrameSize& s) {
    uint8_t* const src[3] = {src_.data(), first_.data(), second_.data()};
    return call_frame_function(f, c, src, dst_.data(), s);
  }

  // The arguments of f as the 32-bit words a stdcall caller pushes.
  std::vector<uintptr_t> words(const FrameFunction& f, ppl_context* c, const FrameSize& s) {
    auto p = [](const void* q) { return reinterpret_cast<uintptr_t>(q); };
    auto i = [](int32_t v) { return static_cast<uintptr_t>(static_cast<uint32_t>(v)); };
    switch (f.shape) {
      case Shape::kBayer:
        return {p(c), p(src_.data()), p(dst_.data()), i(s.in_w), i(s.in_h)};
      case Shape::kProgressive:
        return {p(c), p(src_.data()), p(dst_.data()), i(s.in_w), i(s.in_h), i(s.out_w), i(s.out_h)};
      case Shape::kInterlaced:
        return {p(c), p(src_.data()), p(first_.data()), p(second_.data()), p(dst_.data()),
                i(s.in_w), i(s.in_h), i(s.out_w), i(s.out_h)};
    }
    return {};
  }

 private:
  static size_t input_bytes(const FrameFunction& f, const FrameSize& s) {
    const size_t pixels = static_cast<size_t>(s.in_w) * s.in_h;
    return f.shape == Shape::kBayer ? pixels : pixels * f.input_bytes_per_pixel_x2 / 2;
  }
  // Each field: in_height / 2 lines of 2 x in_width bytes.
  static size_t field_bytes(const FrameSize& s) { return static_cast<size_t>(s.in_w) * s.in_h; }
  // The largest output of the size: RGB32 at double size for Bayer.
  static size_t output_bytes(const FrameSize& s) {
    const size_t in = static_cast<size_t>(s.in_w) * s.in_h;
    const size_t out = static_cast<size_t>(s.out_w) * s.out_h;
    return 16 * in > 4 * out ? 16 * in : 4 * out;
  }

  AlignedBuffer src_, first_, second_, dst_;
};

}  // namespace pplcam::test
