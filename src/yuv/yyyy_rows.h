// The 12-bit packed 4:2:0 lines of the YUYVYYYY / UYVYYYYY inputs.
//
// A 24-byte unit holds 16 pixels (8 pixel pairs) of one line:
//
//   byte   0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19 20 21 22 23
//          Y0 C0 Y1 C1 Y2 C2 Y3 C3 Y4 Y5 Y6 Y7 Y8 C4 Y9 C5 Y10 C6 Y11 C7 Y12 .. Y15
//
// Ck is the chroma of pixel pair k of the unit (pixels 2k, 2k + 1): U on
// even lines, V on odd lines, so a line pair carries exactly the U and V
// samples of I420 and the conversion copies them without filtering.
#pragma once

#include <cstdint>

#include "core/simd.h"
#include "yuv/i420_rows.h"
#include "yuv/packed422.h"

namespace pplcam::yuv {

// Luma (two registers, 2 x kBytes pixels) and chroma (one register, kBytes
// pixel pairs) of the 2 x kBytes pixels at p: one unit in Mmx registers,
// two per 16-byte lane otherwise. A wide register's lane i takes units 2i
// and 2i + 1 (each lane loaded on its own, 48 bytes apart), so its luma
// lanes come out as pixels 32i .. 32i + 15 and 32i + 16 .. 32i + 31 and are
// put in picture order once.
template <class S>
PPL_VEC_INLINE void load_yyyy_step(const uint8_t* p, typename S::V* luma, typename S::V* chroma) {
  using V = typename S::V;
  if constexpr (S::kBytes == 8) {
    const V r0 = S::load(p), r1 = S::load(p + 8), r2 = S::load(p + 16);
    // bytes 0-7 and 12-19: four luma/chroma pairs each
    const V paired = S::or_(S::template srl_bytes<4>(r1), S::template sll_bytes<4>(r2));
    const V y_paired = even_bytes<S>(r0, paired);                        // Y0-3, Y8-11
    const V y_runs = S::unpacklo32(r1, S::template srl_bytes<4>(r2));   // Y4-7, Y12-15
    luma[0] = S::unpacklo32(y_paired, y_runs);
    luma[1] = S::unpackhi32(y_paired, y_runs);
    *chroma = odd_bytes<S>(r0, paired);
  } else {
    auto load = [](const uint8_t* q) PPL_LAMBDA_INLINE {
      if constexpr (S::kBytes == 16) return S::load(q);
      else return S::load_lanes_apart(q, 48);
    };
    // Per unit: bytes 0-15 and 8-23.
    const V lo0 = load(p), hi0 = load(p + 8);
    const V lo1 = load(p + 24), hi1 = load(p + 32);
    // bytes 0-7 and 12-19 of each unit: four luma/chroma pairs each
    const V paired0 = S::unpacklo64(lo0, S::template srl_bytes<4>(hi0));
    const V paired1 = S::unpacklo64(lo1, S::template srl_bytes<4>(hi1));
    const V y_paired = even_bytes<S>(paired0, paired1);   // Y0-3, Y8-11 of both units
    // Y4-7 and Y12-15 of both units: dword 2 of lo and dword 3 of hi.
    const V t0 = S::unpackhi32(lo0, hi0), t1 = S::unpackhi32(lo1, hi1);
    const V y_runs = S::template shuffle32x2<_MM_SHUFFLE(3, 0, 3, 0)>(t0, t1);
    luma[0] = S::unpacklo32(y_paired, y_runs);
    luma[1] = S::unpackhi32(y_paired, y_runs);
    if constexpr (S::kBytes > 16) S::interleave_lanes(luma[0], luma[1], &luma[0], &luma[1]);
    *chroma = odd_bytes<S>(paired0, paired1);
  }
}

// One step of yyyy_line_pair on registers S.
template <bool Mirror>
struct YyyyPairStep {
  const uint8_t* line0;
  const uint8_t* line1;
  I420Rows out;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t x) const {
    typename S::V y0[2], y1[2], u, v;
    load_yyyy_step<S>(line0 + (x >> 1) * 3, y0, &u);
    load_yyyy_step<S>(line1 + (x >> 1) * 3, y1, &v);
    store_i420_step<S, Mirror>(out, x, y0, y1, u, v);
  }
};

// Converts lines line0 (U) and line1 (V) of `width` pixels.
template <class W, class T, bool Mirror>
void yyyy_line_pair(const uint8_t* line0, const uint8_t* line1, int32_t width, I420Rows out) {
  walk_steps<W, T>(width, YyyyPairStep<Mirror>{line0, line1, out});
}

}  // namespace pplcam::yuv
