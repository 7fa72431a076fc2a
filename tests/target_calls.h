// Every exported frame function (the 36 converters and the 18 processing
// operations) by argument shape, with frames they accept and the bytes of
// their sources, for the tests that check how calls leave the machine
// (x87/MMX state, stdcall stack discipline), the processing operations'
// bounds, the converters' fallback fills and the convert fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
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

inline const FrameFunction& function_named(const std::string& name) {
  for (const FrameFunction& f : exported_frame_functions())
    if (name == f.name) return f;
  std::abort();
}

// A processing operation (ppl_process_*) rather than a converter.
inline bool is_processing(const FrameFunction& f) { return std::string(f.name).rfind("ppl_process_", 0) == 0; }

// A Bayer converter's output size by its name, counted as ppl_set_decimation
// counts it: 0 full size, 1 half (_deci_2_1), -1 double (_intp_1_2).
inline int bayer_mode(const FrameFunction& f) {
  const std::string name = f.name;
  return name.find("_deci_2_1") != std::string::npos ? 1 : name.find("_intp_1_2") != std::string::npos ? -1 : 0;
}

// The bytes of each source of f at size s: the Bayer frame, the progressive
// frame (a line of 12-bit pixels rounded down to whole bytes), or reference,
// first and second field of in_h / 2 lines each.
inline std::vector<size_t> source_bytes(const FrameFunction& f, const FrameSize& s) {
  const size_t w = static_cast<size_t>(s.in_w), h = static_cast<size_t>(s.in_h);
  if (f.shape == Shape::kBayer) return {w * h};
  if (f.shape == Shape::kProgressive) return {w * f.input_bytes_per_pixel_x2 / 2 * h};
  return std::vector<size_t>(3, 2 * w * (h / 2));
}

inline std::string describe(const FrameFunction& f, const FrameSize& s) {
  return std::string(f.name) + " " + std::to_string(s.in_w) + "x" + std::to_string(s.in_h) +
         (f.shape == Shape::kBayer ? "" : "->" + std::to_string(s.out_w) + "x" + std::to_string(s.out_h));
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

// Buffers for one call: sources of random bytes and a destination large
// enough for any output of the size (RGB32 at double size for Bayer), all
// at `align`.
class FrameBuffers {
 public:
  FrameBuffers(const FrameFunction& f, const FrameSize& s, Align align, uint32_t seed)
      : dst_(std::max(16 * static_cast<size_t>(s.in_w) * s.in_h, 4 * static_cast<size_t>(s.out_w) * s.out_h),
             align) {
    for (size_t bytes : source_bytes(f, s)) {
      srcs_.emplace_back(bytes, align);
      fill_random(srcs_.back().data(), bytes, seed++);
    }
  }

  // Calls f on these buffers.
  uint8_t call(const FrameFunction& f, ppl_context* c, const FrameSize& s) {
    uint8_t* src[3] = {};
    for (size_t i = 0; i < srcs_.size(); ++i) src[i] = srcs_[i].data();
    return call_frame_function(f, c, src, dst_.data(), s);
  }

  std::vector<uint8_t> output() { return {dst_.data(), dst_.data() + dst_.size()}; }

  // The arguments of f as the 32-bit words a stdcall caller pushes.
  std::vector<uint32_t> words(const FrameFunction& f, ppl_context* c, const FrameSize& s) {
    auto p = [](const void* q) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(q)); };
    auto i = [](int32_t v) { return static_cast<uint32_t>(v); };
    std::vector<uint32_t> w = {p(c)};
    for (AlignedBuffer& b : srcs_) w.push_back(p(b.data()));
    w.insert(w.end(), {p(dst_.data()), i(s.in_w), i(s.in_h)});
    if (f.shape != Shape::kBayer) w.insert(w.end(), {i(s.out_w), i(s.out_h)});
    return w;
  }

 private:
  std::vector<AlignedBuffer> srcs_;
  AlignedBuffer dst_;
};

}  // namespace pplcam::test
