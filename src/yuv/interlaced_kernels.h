// The interlaced kernels, written once over the register structs of the
// path (yuv/yuv_registers.h: W for the body of a line, T for its end; the
// quarter-size sampling over the kernel path P): the motion-adaptive
// weave of one second-field line, the line builders of the decimation
// modes, and the frame walks that hand picture lines to the packed, I420
// (i420_line_pair) and RGB24 (rgb24_line) writers of the progressive
// converters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/path_types.h"
#include "core/simd.h"
#include "yuv/i420_rows.h"
#include "yuv/interlaced_frames.h"
#include "yuv/packed422.h"
#include "yuv/rgb24_rows.h"
#include "yuv/yuv_registers.h"

namespace pplcam::yuv {

// ------------------------------------------------------------ line builders

// Calls step.template operator()<R>(at) for the registers that cover
// `bytes` bytes (a multiple of T's kBytes): W's while a whole one fits,
// then T's.
template <class W, class T, class Step>
PPL_VEC_INLINE void walk_bytes(int32_t bytes, Step step) {
  int32_t at = 0;
  if constexpr (W::kBytes != T::kBytes) {
    for (; at + W::kBytes <= bytes; at += W::kBytes) step.template operator()<W>(at);
  }
  for (; at < bytes; at += T::kBytes) step.template operator()<T>(at);
}

// The packed intl 3T threshold (a 16-byte group constant, or the MMX
// path's 8 bytes) in every lane of S.
template <class S>
PPL_VEC_INLINE typename S::V threshold_of(const void* packed) {
  if constexpr (S::kBytes > 16) return S::broadcast16(packed);
  else return S::load(packed);
}

// The zero bytes before and after a line of chroma differences.
constexpr int32_t kDifferenceMargin = 16;

// A register of packed 4:2:2 words in order In, rewritten in order Out.
template <class S, Order422 In, Order422 Out>
PPL_VEC_INLINE typename S::V reorder422(typename S::V v) {
  if constexpr (In == Out) return v;
  else return S::or_(S::template sll16<8>(v), S::template srl16<8>(v));
}

// The chroma differences of one second-field line: d = second - ref on the
// chroma byte of every word, one signed 16-bit lane per word, stored at
// line + 16; the 16 bytes before and after them are zero, the value of a
// word outside the line. `line` holds 2 x width + 32 bytes. Stored once, a
// word's neighbours are plain loads two bytes to either side, where
// registers would need two shifts and an OR each.
template <Order422 In>
struct DifferenceStep {
  const uint8_t* second;
  const uint8_t* ref;
  uint8_t* d;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t at) const {
    using P = Packed422<S, In>;
    S::store(d + at, S::sub16(P::chroma16(S::load(second + at)), P::chroma16(S::load(ref + at))));
  }
};

template <class W, class T, Order422 In>
void chroma_differences(const uint8_t* second, const uint8_t* ref, int32_t width, uint8_t* line) {
  const int32_t line_bytes = 2 * width;
  std::memset(line, 0, kDifferenceMargin);
  std::memset(line + kDifferenceMargin + line_bytes, 0, kDifferenceMargin);
  walk_bytes<W, T>(line_bytes, DifferenceStep<In>{second, ref, line + kDifferenceMargin});
}

// The motion test on a line of chroma differences (chroma_differences).
//
// Per word i, with s = d[i-1] + d[i] + d[i+1], the word moves when
//   |3 d[i-1] - s| + |3 d[i] - s| + |3 d[i+1] - s| > threshold.
// The three terms 3 d[j] - s add up to 0, so the sum of their magnitudes
// is twice the largest magnitude, max(3 max(d) - s, s - 3 min(d)), which
// is how it is computed (signed 16-bit lanes: no term leaves +-1020, the
// spread stays within 2040).
template <class S>
class MotionTest {
 public:
  using V = typename S::V;

  MotionTest(const uint8_t* differences, const void* threshold)
      : d_(differences + kDifferenceMargin),
        // 2 m > threshold exactly when m > threshold >> 1 (an integer m).
        half_threshold_(S::template sra16<1>(threshold_of<S>(threshold))),
        // Kept as one multiply: spelled as a shift and an add, 3 x takes a
        // register copy more per use in the two-operand SSE2 encoding.
        three_(S::opaque(S::set1_16(3))) {}

  // Mask of the moving words (all 16 bits set) of the register at byte
  // `at` of the line.
  PPL_MEMBER_INLINE V moving(int32_t at) const {
    const V left = S::load(d_ + at - 2), cur = S::load(d_ + at), right = S::load(d_ + at + 2);
    const V sum = S::add16(S::add16(left, cur), right);
    const V high = S::mullo16(S::max16(S::max16(left, cur), right), three_);
    const V low = S::mullo16(S::min16(S::min16(left, cur), right), three_);
    const V largest = S::max16(S::sub16(high, sum), S::sub16(sum, low));
    return S::cmpgt16(largest, half_threshold_);
  }

 private:
  const uint8_t* d_;
  V half_threshold_, three_;
};

// The second field's register with its moving chroma bytes replaced by the
// rounded mean of the first-field lines above and below.
template <class S>
PPL_VEC_INLINE typename S::V weave_register(typename S::V moving, typename S::V second,
                                            typename S::V above, typename S::V below) {
  return S::or_(S::andnot(moving, second), S::and_(moving, S::avgu8(above, below)));
}

// Second-field line `second` with its motion test applied, in order Out: a
// moving word's chroma byte becomes the rounded mean of the first-field
// lines above and below; its luma byte, like every byte of a still word, is
// the second field's.
template <Order422 In, Order422 Out>
struct MotionStep {
  const uint8_t* above;
  const uint8_t* below;
  const uint8_t* second;
  const uint8_t* differences;
  const void* threshold;
  uint8_t* out;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t at) const {
    using V = typename S::V;
    const V chroma_bytes = S::set1_16(In == Order422::kYuyv ? static_cast<int16_t>(0xFF00) : 0x00FF);
    const MotionTest<S> motion(differences, threshold);
    const V moving = S::and_(motion.moving(at), chroma_bytes);
    const V woven = weave_register<S>(moving, S::load(second + at), S::load(above + at), S::load(below + at));
    S::store(out + at, reorder422<S, In, Out>(woven));
  }
};

template <class W, class T, Order422 In, Order422 Out>
void motion_line(const uint8_t* above, const uint8_t* below, const uint8_t* second,
                 const uint8_t* ref, int32_t width, const void* threshold,
                 uint8_t* differences, uint8_t* out) {
  chroma_differences<W, T, In>(second, ref, width, differences);
  walk_bytes<W, T>(2 * width, MotionStep<In, Out>{above, below, second, differences, threshold, out});
}

// A line copied, in order Out.
template <Order422 In, Order422 Out>
struct ReorderStep {
  const uint8_t* in;
  uint8_t* out;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t at) const {
    S::store(out + at, reorder422<S, In, Out>(S::load(in + at)));
  }
};

template <class W, class T, Order422 In, Order422 Out>
void copy_line(const uint8_t* in, int32_t width, uint8_t* out) {
  if constexpr (In == Out) {
    std::memcpy(out, in, static_cast<size_t>(2 * width));
  } else {
    walk_bytes<W, T>(2 * width, ReorderStep<In, Out>{in, out});
  }
}

// Luma and chroma registers (one byte per pixel, pixel 0 in byte 0, and U V
// U V ... per pixel pair) stored as 2 x kBytes packed bytes in order Out.
template <class S, Order422 Out>
PPL_VEC_INLINE void store_packed(uint8_t* out, typename S::V luma, typename S::V chroma) {
  if constexpr (Out == Order422::kYuyv) {
    S::store(out, S::unpacklo8(luma, chroma));
    S::store(out + S::kBytes, S::unpackhi8(luma, chroma));
  } else {
    S::store(out, S::unpacklo8(chroma, luma));
    S::store(out + S::kBytes, S::unpackhi8(chroma, luma));
  }
}

// Half-size line (decimation 1): luma m = avg(Y[2m], Y[2m+1]), U and V of
// pair n = avg of those of input pairs 2n and 2n+1. `width` input pixels, a
// multiple of 2 x kBytes.
template <class S, Order422 In, Order422 Out>
void half_line(const uint8_t* in, int32_t width, uint8_t* out) {
  using V = typename S::V;
  for (int32_t x = 0; x < width; x += 2 * S::kBytes) {
    V luma[2], chroma[2];
    split_step<S, In>(in + 2 * x, luma, chroma);
    const V y = S::avgu8(even_bytes<S>(luma[0], luma[1]), odd_bytes<S>(luma[0], luma[1]));
    const V u = even_bytes<S>(chroma[0], chroma[1]);
    const V v = odd_bytes<S>(chroma[0], chroma[1]);
    const V u2 = S::avgu8(even_bytes<S>(u, S::zero()), odd_bytes<S>(u, S::zero()));
    const V v2 = S::avgu8(even_bytes<S>(v, S::zero()), odd_bytes<S>(v, S::zero()));
    store_packed<S, Out>(out + x, y, S::unpacklo8(u2, v2));
  }
}

// Quarter-size line (decimation 2). The sampling follows the path's
// behaviour (core/path_table.h):
//   8-byte groups:  luma m = avg(Y[4m], Y[4m+1]) for even m, avg(Y[4m+2],
//                   Y[4m+3]) for odd m; chroma of pair n = avg(C[4n], C[4n+3])
//   16-byte groups: luma m = avg(Y[4m], Y[4m+1]); chroma = avg(C[4n], C[4n+2])
// (C[k]: the U or the V of input pair k). The quarter picture is a
// sixteenth of the input, so it is built byte by byte.
template <class P, Order422 In, Order422 Out>
void quarter_line(const uint8_t* in, int32_t width, uint8_t* out) {
  constexpr int kLuma = In == Order422::kYuyv ? 0 : 1;
  constexpr int kOutLuma = Out == Order422::kYuyv ? 0 : 1;
  constexpr int kLastPair = P::kQuarterChromaPair;
  auto avg = [](int a, int b) { return static_cast<uint8_t>((a + b + 1) >> 1); };
  for (int32_t m = 0; m < width / 4; ++m) {
    const int32_t y0 = P::kQuarterLumaStaggered && (m & 1) ? 4 * m + 2 : 4 * m;
    out[2 * m + kOutLuma] = avg(in[2 * y0 + kLuma], in[2 * y0 + 2 + kLuma]);
    // Pixel m carries U (even m) or V (odd m) of output pair m / 2.
    const int32_t n = m / 2, component = 2 * (m & 1);
    const uint8_t* c0 = in + 4 * (4 * n) + (1 - kLuma) + component;
    out[2 * m + 1 - kOutLuma] = avg(c0[0], c0[4 * kLastPair]);
  }
}

// Double-size line (decimation -1): every pixel repeated, so pair (Y0 U Y1
// V) becomes (Y0 U Y0 V) (Y1 U Y1 V).
template <class S, Order422 In, Order422 Out>
void double_line(const uint8_t* in, int32_t width, uint8_t* out) {
  using V = typename S::V;
  using P = Packed422<S, In>;
  for (int32_t at = 0; at < 2 * width; at += S::kBytes) {
    const V v = S::load(in + at);
    const V luma = P::luma16(v), chroma = P::chroma16(v);
    for (int half = 0; half < 2; ++half) {
      const V l = half ? S::unpackhi16(luma, luma) : S::unpacklo16(luma, luma);
      const V c = half ? S::unpackhi32(chroma, chroma) : S::unpacklo32(chroma, chroma);
      const V word = Out == Order422::kYuyv ? S::or_(l, S::template sll16<8>(c))
                                            : S::or_(S::template sll16<8>(l), c);
      S::store(out + 2 * at + half * S::kBytes, word);
    }
  }
}

// ------------------------------------------------------------- picture lines

// Whether second-field line k goes through the motion test. The last one
// has no first-field line below it: always woven.
inline bool motion_tested(const IntlFrame& f, int32_t k) {
  return f.motion && k + 1 < f.field_lines;
}

// Line w of the deinterlaced frame (0 .. 2 x field_lines - 1) in order Out:
// a field line itself when it needs no work, else computed into `out`.
template <class W, class T, Order422 In, Order422 Out>
const uint8_t* woven_line(const IntlFrame& f, int32_t w, uint8_t* out) {
  const ptrdiff_t line_bytes = 2 * static_cast<ptrdiff_t>(f.width);
  const int32_t k = w / 2;
  const uint8_t* first = f.first + k * line_bytes;
  if (w % 2 == 0) {
    if constexpr (In == Out) return first;
    copy_line<W, T, In, Out>(first, f.width, out);
    return out;
  }
  const uint8_t* second = f.second + k * line_bytes;
  if (motion_tested(f, k)) {
    motion_line<W, T, In, Out>(first, first + line_bytes, second, f.ref + k * line_bytes, f.width,
                               f.threshold, f.differences, out);
    return out;
  }
  if constexpr (In == Out) return second;
  copy_line<W, T, In, Out>(second, f.width, out);
  return out;
}

// Picture line y in order Out, computed into `out` (2 x picture_width
// bytes) unless it is a field line as it stands. `tmp` holds the woven line
// that decimation -1 doubles.
template <class P, Order422 In, Order422 Out>
const uint8_t* picture_line(const IntlFrame& f, int32_t y, uint8_t* out, uint8_t* tmp) {
  // The decimation modes' line builders run on 16-byte registers.
  using W = typename Registers<P>::W;
  using S = typename Registers<P>::T;
  const ptrdiff_t line_bytes = 2 * static_cast<ptrdiff_t>(f.width);
  switch (f.decimation) {
    case 1:
      half_line<S, In, Out>(f.first + y * line_bytes, f.width, out);
      return out;
    case 2:
      quarter_line<P, In, Out>(f.first + 2 * y * line_bytes, f.width, out);
      return out;
    case -1:
      double_line<S, In, Out>(woven_line<W, S, In, In>(f, y / 2, tmp), f.width, out);
      return out;
    default:
      return woven_line<W, S, In, Out>(f, y, out);
  }
}

// --------------------------------------------------------------- frame walks

// Fills `bytes` bytes (a multiple of T's kBytes) with the 16-bit word
// `word`.
struct FillStep {
  uint8_t* p;
  uint16_t word;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t at) const {
    S::store(p + at, S::set1_16(static_cast<int16_t>(word)));
  }
};

template <class P, Order422 In, Order422 Out>
void packed_frame(const IntlFrame& f) {
  using W = typename Registers<P>::W;
  using T = typename Registers<P>::T;
  auto fill_words = [](uint8_t* p, int32_t bytes, uint16_t word) { walk_bytes<W, T>(bytes, FillStep{p, word}); };
  const int32_t row_bytes = 2 * f.out_width;
  // Y 16, U and V 128: bytes 0x10 0x80 (YUYV) or 0x80 0x10 (UYVY).
  const uint16_t black = Out == Order422::kYuyv ? 0x8010 : 0x1080;
  uint8_t* row = f.dst;
  for (int32_t i = 0; i < f.top; ++i, row += row_bytes) fill_words(row, row_bytes, black);
  for (int32_t y = 0; y < f.picture_height; ++y, row += row_bytes) {
    if (f.decimation == -1 && y % 2 == 1) {
      std::memcpy(row, row - row_bytes, static_cast<size_t>(row_bytes));
      continue;
    }
    const uint8_t* line = picture_line<P, In, Out>(f, y, row, f.line_a);
    if (line != row) std::memcpy(row, line, static_cast<size_t>(row_bytes));
  }
  for (int32_t i = 0; i < f.bottom; ++i, row += row_bytes) fill_words(row, row_bytes, black);
}

// I420 of picture lines 2k and 2k + 1 when the second one goes through the
// motion test: first-field line k (`first`, with line k + 1 `below`) and
// second-field line k. The woven line is never stored: its luma is the
// second field's and its chroma goes straight into the mean with line 2k.
template <Order422 In>
struct I420MotionSteps {
  const uint8_t* first;
  const uint8_t* below;
  const uint8_t* second;
  const uint8_t* differences;
  const void* threshold;
  I420Rows out;
  int32_t width;

  // The steps of S from pixel x while a whole one fits; with Last, the half
  // step that ends the line. Returns where they stopped.
  template <class S, bool Last>
  PPL_MEMBER_INLINE int32_t run(int32_t x) const {
    using V = typename S::V;
    using P = Packed422<S, In>;
    constexpr int kB = S::kBytes;
    const MotionTest<S> motion(differences, threshold);
    // kBytes pixels from byte `at` (two registers): luma of both lines and
    // the interleaved chroma mean (U V U V ...), packed to bytes. Only the
    // chroma bytes of the woven register count, so the word mask blends it
    // as it stands.
    auto half_step = [&](int32_t at, V* y0, V* y1, V* c) PPL_LAMBDA_INLINE {
      V a[2], b[2], mean[2];
      for (int r = 0; r < 2; ++r) {
        const int32_t at_r = at + r * kB;
        a[r] = S::load(first + at_r);
        b[r] = S::load(second + at_r);
        const V woven = weave_register<S>(motion.moving(at_r), b[r], a[r], S::load(below + at_r));
        mean[r] = S::avgu8(a[r], woven);
      }
      *y0 = S::packus16(P::luma16(a[0]), P::luma16(a[1]));
      *y1 = S::packus16(P::luma16(b[0]), P::luma16(b[1]));
      *c = S::packus16(P::chroma16(mean[0]), P::chroma16(mean[1]));
    };
    constexpr int32_t kStep = 2 * kB;  // pixels of four registers
    for (; x + kStep <= width; x += kStep) {
      V y0[2], y1[2], c[2];
      half_step(2 * x, &y0[0], &y1[0], &c[0]);
      half_step(2 * x + 2 * kB, &y0[1], &y1[1], &c[1]);
      store_i420_step<S, false, Packed::kOnce, Packed::kTwice>(out, x, y0, y1, even_bytes<S>(c[0], c[1]),
                                                                odd_bytes<S>(c[0], c[1]));
    }
    if constexpr (Last) {
      if (x < width) {
        // Half a step (kBytes pixels; widths are multiples of 16 pixels,
        // so only 16-byte registers get here): two registers, U and V half
        // stores.
        static_assert(S::kBytes <= 16, "a wide step ends with 16-byte registers");
        V y0, y1, c;
        half_step(2 * x, &y0, &y1, &c);
        S::store(out.y0 + x, y0);
        S::store(out.y1 + x, y1);
        S::store_half(out.u + x / 2, even_bytes<S>(c, S::zero()));
        S::store_half(out.v + x / 2, odd_bytes<S>(c, S::zero()));
        x = width;
      }
    }
    return x;
  }
};

template <class W, class T, Order422 In>
void i420_motion_line_pair(const uint8_t* first, const uint8_t* below, const uint8_t* second,
                           const uint8_t* ref, int32_t width, const void* threshold,
                           uint8_t* differences, I420Rows out) {
  chroma_differences<W, T, In>(second, ref, width, differences);
  const I420MotionSteps<In> steps{first, below, second, differences, threshold, out, width};
  int32_t x = 0;
  if constexpr (W::kBytes != T::kBytes) x = steps.template run<W, false>(x);
  steps.template run<T, true>(x);
}

// I420: picture lines 2k and 2k + 1 go through the progressive converters'
// line-pair rule (luma copied, chroma their rounded mean). Luma line y sits
// at output line top + y, chroma row k at chroma line top / 2 + k (with an
// odd top the chroma sits half a chroma line higher than the luma: 4:2:0
// has no line between).
template <class P, Order422 In>
void i420_frame(const IntlFrame& f) {
  using W = typename Registers<P>::W;
  using T = typename Registers<P>::T;
  const int32_t w = f.out_width, cw = w / 2;
  const int32_t pairs = f.picture_height / 2, chroma_top = f.top / 2;
  // Each chroma plane is a quarter of the Y plane; with an odd output
  // height that is half a chroma row more than out_height / 2 rows.
  const ptrdiff_t plane_bytes = f.v_plane - f.u_plane;
  const ptrdiff_t below_picture = static_cast<ptrdiff_t>(cw) * (chroma_top + pairs);
  std::memset(f.dst, 16, static_cast<size_t>(w) * f.top);
  uint8_t* below = f.dst + static_cast<ptrdiff_t>(w) * (f.top + f.picture_height);
  std::memset(below, 16, static_cast<size_t>(w) * f.bottom);
  for (uint8_t* plane = f.u_plane; plane != f.v_plane + plane_bytes; plane += plane_bytes) {
    std::memset(plane, 128, static_cast<size_t>(cw) * chroma_top);
    std::memset(plane + below_picture, 128, static_cast<size_t>(plane_bytes - below_picture));
  }
  const bool doubled = f.decimation == -1;
  for (int32_t k = 0; k < pairs; ++k) {
    I420Rows rows;
    rows.y0 = f.dst + static_cast<ptrdiff_t>(w) * (f.top + 2 * k);
    rows.y1 = rows.y0 + w;
    rows.u = f.u_plane + static_cast<ptrdiff_t>(cw) * (chroma_top + k);
    rows.v = f.v_plane + static_cast<ptrdiff_t>(cw) * (chroma_top + k);
    if (f.decimation == 0 && motion_tested(f, k)) {
      const ptrdiff_t line_bytes = 2 * static_cast<ptrdiff_t>(f.width);
      const uint8_t* first = f.first + k * line_bytes;
      i420_motion_line_pair<W, T, In>(first, first + line_bytes, f.second + k * line_bytes,
                                      f.ref + k * line_bytes, f.width, f.threshold, f.differences, rows);
      continue;
    }
    uint8_t* out_a = doubled ? f.wide_line : f.line_a;
    const uint8_t* a = picture_line<P, In, In>(f, 2 * k, out_a, f.line_b);
    // Decimation -1 repeats every line: the pair is one doubled line twice.
    const uint8_t* b = doubled ? a : picture_line<P, In, In>(f, 2 * k + 1, f.line_b, nullptr);
    i420_line_pair<W, T, In, false>(a, b, f.picture_width, rows);
  }
}

// RGB24: output line top + y holds picture line y; rows are stored
// bottom-up. Black is 0 0 0.
template <class P, Order422 In>
void rgb24_frame(const IntlFrame& f) {
  using W = typename Registers<P>::W;
  using T = typename Registers<P>::T;
  const ptrdiff_t row_bytes = 3 * static_cast<ptrdiff_t>(f.out_width);
  auto row = [&](int32_t out_line) { return f.dst + (f.out_height - 1 - out_line) * row_bytes; };
  // Bottom black lines are the first rows in memory, top ones the last.
  std::memset(f.dst, 0, static_cast<size_t>(row_bytes * f.bottom));
  std::memset(row(f.top - 1), 0, static_cast<size_t>(row_bytes * f.top));
  uint8_t* out = f.decimation == -1 ? f.wide_line : f.line_b;
  for (int32_t y = 0; y < f.picture_height; ++y) {
    if (f.decimation == -1 && y % 2 == 1) {
      std::memcpy(row(f.top + y), row(f.top + y - 1), static_cast<size_t>(row_bytes));
      continue;
    }
    const uint8_t* line = picture_line<P, In, In>(f, y, out, f.line_a);
    rgb24_line<W, T, In>(line, f.picture_width, row(f.top + y));
  }
}

template <class P, Order422 In>
void interlaced_frame_from(const IntlFrame& f, IntlOutput output) {
  switch (output) {
    case IntlOutput::kYuyv: packed_frame<P, In, Order422::kYuyv>(f); break;
    case IntlOutput::kUyvy: packed_frame<P, In, Order422::kUyvy>(f); break;
    case IntlOutput::kI420: i420_frame<P, In>(f); break;
    case IntlOutput::kRgb24: rgb24_frame<P, In>(f); break;
  }
}

template <class P>
void interlaced_frame(IntlFrame f, const ppl_context* c, Order422 input, IntlOutput output) {
  f.threshold = &group_constants<P::kGroup>(c).intl_3t_threshold;
  if (input == Order422::kYuyv) {
    interlaced_frame_from<P, Order422::kYuyv>(f, output);
  } else {
    interlaced_frame_from<P, Order422::kUyvy>(f, output);
  }
  P::S::end();
}

}  // namespace pplcam::yuv
