// Per-column-group stages of the Bayer walk, written once over the register
// struct S (core/simd.h; one column group per register: 8 photosites with
// Mmx, 16 with Sse2; Avx2 and Avx512 hold two or four 16-photosite groups,
// one per 16-byte lane, and every stage below works lane by lane):
// demosaic (bilinear, cell replication), colour conversion (C_ycc, C_rgb)
// and the full-size output packs. Every value is a byte vector of one row
// of the group; 16-bit work splits it into the even photosites (low byte of
// each lane) and the odd photosites (high byte).
#pragma once

#include <cstdint>
#include <cstring>

#include "bayer/placement.h"
#include "core/bgr24_pack.h"
#include "core/context.h"
#include "core/simd.h"

namespace pplcam {

// One 3 x 3 matrix in units of 1/64, row-major, each coefficient in every
// lane, with the offset word of its first row (the rounding half included).
template <class S>
struct Matrix3 {
  typename S::V k[9];
  typename S::V offset;
};

// A register wider than its group takes the group's matrix in every lane.
template <class S, int Bytes>
inline Matrix3<S> load_matrix(const Packed16<Bytes> (&k)[9], const Packed16<Bytes>& offset) {
  Matrix3<S> m;
  for (int i = 0; i < 9; ++i) m.k[i] = load_const<S>(k[i]);
  m.offset = load_const<S>(offset);
  return m;
}

// Converted rows of a group for the YUV outputs: studio luma of both rows
// and, per pixel pair, the signed chroma of its even pixel (U at the even
// byte, V at the odd byte), before the range limit.
template <class S>
struct YuvRows {
  typename S::V y[2];
  typename S::V c[2];
};

// Demosaiced or converted R, G, B of both rows of a group.
template <class S>
struct RgbRows {
  typename S::V r[2], g[2], b[2];
};

// Demosaiced R, G, B of both rows of a group as 16-bit lanes, each 0..255:
// index [row][0] the even photosites, [row][1] the odd ones. The edge
// demosaic hands its values over in this form, so that they are not put
// back into bytes only to be split again by the conversion.
template <class S>
struct RgbSites {
  typename S::V r[2][2], g[2][2], b[2][2];
};

template <class S>
struct Lanes {
  using V = typename S::V;
  V low_bytes;    // 0x00FF in every 16-bit lane
  V even_bytes;   // the same mask seen as bytes: 0xFF at even photosites
  V round_uv;     // 32: rounding half of the chroma rows
  Lanes() : low_bytes(S::set1_16(0x00FF)), even_bytes(low_bytes), round_uv(S::set1_16(32)) {}
};

template <class S>
PPL_VEC_INLINE typename S::V select(typename S::V mask, typename S::V a, typename S::V b) {
  return S::or_(S::and_(mask, a), S::andnot(mask, b));
}

// (k0 * a + k1 * b + k2 * c + add) >> 6 in wrapping 16-bit lanes.
template <class S>
PPL_VEC_INLINE typename S::V dot3(typename S::V k0, typename S::V k1, typename S::V k2,
                                  typename S::V a, typename S::V b, typename S::V c,
                                  typename S::V add) {
  const typename S::V s = S::add16(S::add16(S::mullo16(k0, a), S::mullo16(k1, b)),
                                   S::add16(S::mullo16(k2, c), add));
  return S::template sra16<6>(s);
}

// Bytes of one column group in a register (16 in every lane of a wider one).
template <class S>
constexpr int group_bytes() {
  return S::kBytes < 16 ? S::kBytes : 16;
}

// Even-photosite values `e` and odd-photosite values `o` (16-bit lanes),
// narrowed with unsigned saturation and put back in photosite order.
template <class S>
PPL_VEC_INLINE typename S::V interleave_u8(typename S::V e, typename S::V o) {
  const typename S::V p = S::packus16(e, o);
  return S::unpacklo8(p, S::template srl_bytes<group_bytes<S>() / 2>(p));
}

// The same with signed saturation: chroma pairs U0 V0 U1 V1 ...
template <class S>
PPL_VEC_INLINE typename S::V interleave_s8(typename S::V u, typename S::V v) {
  const typename S::V p = S::packs16(u, v);
  return S::unpacklo8(p, S::template srl_bytes<group_bytes<S>() / 2>(p));
}

// min(y, 219) + 16 with two saturating byte steps.
template <class S>
PPL_VEC_INLINE typename S::V studio_luma(typename S::V y) {
  return S::subus8(S::addus8(y, S::set1_8(36)), S::set1_8(20));
}

// The chroma range limit: signed c becomes clamp(c, -112, 112) + 128.
template <class S>
PPL_VEC_INLINE typename S::V limit_chroma(typename S::V c) {
  const typename S::V u = S::xor_(c, S::set1_8(static_cast<int8_t>(0x80)));
  return S::maxu8(S::minu8(u, S::set1_8(static_cast<int8_t>(240))), S::set1_8(16));
}

// ------------------------------------------------------------ demosaic

// Bilinear demosaic of one group of a row pair (rows r, r + 1). `up`, `r0`,
// `r1` and `dn` point at the group's first column in rows r - 1, r, r + 1
// and r + 2; bytes -1 .. kBytes of each are read (the border routines pass
// staged copies with reflected neighbours). All averages round halves up
// and are nested as written, never four-way sums.
//
//        up:  .  N  .          even row r:  B  Gb  B  Gb
//        r0:  W  M  E          odd row r+1: Gr R   Gr R
//        r1:  .  S  .
template <class S>
PPL_VEC_INLINE void bilinear_group(const uint8_t* up, const uint8_t* r0, const uint8_t* r1,
                                   const uint8_t* dn, const Lanes<S>& l, RgbRows<S>* out) {
  using V = typename S::V;
  const V even = l.even_bytes;
  // Row r: V = vertical average, H = horizontal average at each column.
  const V m0 = S::load(r0);
  const V h0 = S::avgu8(S::load(r0 - 1), S::load(r0 + 1));
  const V v0 = S::avgu8(S::load(up), S::load(r1));
  const V v0_lr = S::avgu8(S::avgu8(S::load(up - 1), S::load(r1 - 1)),
                           S::avgu8(S::load(up + 1), S::load(r1 + 1)));
  // B sites: B = M, G = avg(H, V), R = avg(V(c-1), V(c+1)); Gb: G = M, B = H, R = V.
  out->b[0] = select<S>(even, m0, h0);
  out->g[0] = select<S>(even, S::avgu8(h0, v0), m0);
  out->r[0] = select<S>(even, v0_lr, v0);
  // Row r + 1.
  const V m1 = S::load(r1);
  const V h1 = S::avgu8(S::load(r1 - 1), S::load(r1 + 1));
  const V v1 = S::avgu8(S::load(r0), S::load(dn));
  const V v1_lr = S::avgu8(S::avgu8(S::load(r0 - 1), S::load(dn - 1)),
                           S::avgu8(S::load(r0 + 1), S::load(dn + 1)));
  // Gr sites: G = M, R = H, B = V; R sites: R = M, G = avg(H, V), B = avg(V(c-1), V(c+1)).
  out->g[1] = select<S>(even, m1, S::avgu8(h1, v1));
  out->r[1] = select<S>(even, h1, m1);
  out->b[1] = select<S>(even, v1, v1_lr);
}

// The cells of a group for cell replication: R and B once per cell, its two
// greens and g = avg(Gb, Gr), each in one 16-bit lane per cell.
template <class S>
struct Cells {
  typename S::V r, b, gb, gr, g;
};

template <class S>
PPL_VEC_INLINE Cells<S> load_cells(const uint8_t* even_row, const uint8_t* odd_row, const Lanes<S>& l) {
  const typename S::V r0 = S::load(even_row), r1 = S::load(odd_row);
  Cells<S> c;
  c.b = S::and_(r0, l.low_bytes);
  c.gb = S::template srl16<8>(r0);
  c.gr = S::and_(r1, l.low_bytes);
  c.r = S::template srl16<8>(r1);
  c.g = S::avgu16(c.gb, c.gr);
  return c;
}

// ---------------------------------------------------------- conversion

// Row `i` of a matrix applied to the cells of a group: the four photosites
// of a cell share R and B and differ in green (g at B and R sites, Gb and
// Gr at the green sites). Gives the two rows of the group as 16-bit values
// not yet saturated, [row][0] the even photosites and [row][1] the odd.
template <class S>
PPL_VEC_INLINE void cell_channel_sites(const Matrix3<S>& m, int i, typename S::V add, const Cells<S>& c,
                                       typename S::V (*sites)[2]) {
  using V = typename S::V;
  const V base = S::add16(S::add16(S::mullo16(m.k[3 * i], c.r), S::mullo16(m.k[3 * i + 2], c.b)), add);
  const V kg = m.k[3 * i + 1];
  const V at_rb = S::template sra16<6>(S::add16(base, S::mullo16(kg, c.g)));
  sites[0][0] = sites[1][1] = at_rb;
  sites[0][1] = S::template sra16<6>(S::add16(base, S::mullo16(kg, c.gb)));
  sites[1][0] = S::template sra16<6>(S::add16(base, S::mullo16(kg, c.gr)));
}

// The same as the two rows' bytes, with unsigned saturation.
template <class S>
PPL_VEC_INLINE void cell_channel(const Matrix3<S>& m, int i, typename S::V add, const Cells<S>& c,
                                 typename S::V* row0, typename S::V* row1) {
  typename S::V sites[2][2];
  cell_channel_sites<S>(m, i, add, c, sites);
  *row0 = interleave_u8<S>(sites[0][0], sites[0][1]);
  *row1 = interleave_u8<S>(sites[1][0], sites[1][1]);
}

// Quality 3, YUV outputs: studio luma per photosite, chroma once per cell
// from (R, g, B), the same for both rows.
template <class S>
PPL_VEC_INLINE void cells_to_yuv(const Matrix3<S>& m, const Cells<S>& c, const Lanes<S>& l,
                                 YuvRows<S>* out) {
  cell_channel<S>(m, 0, m.offset, c, &out->y[0], &out->y[1]);
  out->y[0] = studio_luma<S>(out->y[0]);
  out->y[1] = studio_luma<S>(out->y[1]);
  const typename S::V u = dot3<S>(m.k[3], m.k[4], m.k[5], c.r, c.g, c.b, l.round_uv);
  const typename S::V v = dot3<S>(m.k[6], m.k[7], m.k[8], c.r, c.g, c.b, l.round_uv);
  out->c[0] = out->c[1] = interleave_s8<S>(u, v);
}

// Quality 3, RGB outputs: C_rgb per photosite.
template <class S>
PPL_VEC_INLINE void cells_to_rgb(const Matrix3<S>& m, const Cells<S>& c, RgbRows<S>* out) {
  cell_channel<S>(m, 0, m.offset, c, &out->r[0], &out->r[1]);
  cell_channel<S>(m, 1, m.offset, c, &out->g[0], &out->g[1]);
  cell_channel<S>(m, 2, m.offset, c, &out->b[0], &out->b[1]);
}

// The same as photosite values not yet saturated.
template <class S>
PPL_VEC_INLINE void cells_to_rgb(const Matrix3<S>& m, const Cells<S>& c, RgbSites<S>* out) {
  cell_channel_sites<S>(m, 0, m.offset, c, out->r);
  cell_channel_sites<S>(m, 1, m.offset, c, out->g);
  cell_channel_sites<S>(m, 2, m.offset, c, out->b);
}

// The rows of `in` split into even and odd photosites.
template <class S>
PPL_VEC_INLINE RgbSites<S> split_sites(const RgbRows<S>& in, const Lanes<S>& l) {
  RgbSites<S> s;
  for (int row = 0; row < 2; ++row) {
    s.r[row][0] = S::and_(in.r[row], l.low_bytes), s.r[row][1] = S::template srl16<8>(in.r[row]);
    s.g[row][0] = S::and_(in.g[row], l.low_bytes), s.g[row][1] = S::template srl16<8>(in.g[row]);
    s.b[row][0] = S::and_(in.b[row], l.low_bytes), s.b[row][1] = S::template srl16<8>(in.b[row]);
  }
  return s;
}

// Studio conversion of demosaiced rows: luma of every photosite, chroma of
// the even photosite of each pair (the odd one's would be dropped). With
// `both_chroma_rows` false only the first row's chroma is made (I420).
template <class S, bool both_chroma_rows>
PPL_VEC_INLINE void rgb_to_yuv(const Matrix3<S>& m, const RgbSites<S>& in, const Lanes<S>& l, YuvRows<S>* out) {
  using V = typename S::V;
  for (int row = 0; row < 2; ++row) {
    const V re = in.r[row][0], ro = in.r[row][1];
    const V ge = in.g[row][0], go = in.g[row][1];
    const V be = in.b[row][0], bo = in.b[row][1];
    const V ye = dot3<S>(m.k[0], m.k[1], m.k[2], re, ge, be, m.offset);
    const V yo = dot3<S>(m.k[0], m.k[1], m.k[2], ro, go, bo, m.offset);
    out->y[row] = studio_luma<S>(interleave_u8<S>(ye, yo));
    if (row == 0 || both_chroma_rows) {
      const V u = dot3<S>(m.k[3], m.k[4], m.k[5], re, ge, be, l.round_uv);
      const V v = dot3<S>(m.k[6], m.k[7], m.k[8], re, ge, be, l.round_uv);
      out->c[row] = interleave_s8<S>(u, v);
    } else {
      out->c[row] = out->c[0];
    }
  }
}

template <class S, bool both_chroma_rows>
PPL_VEC_INLINE void rgb_to_yuv(const Matrix3<S>& m, const RgbRows<S>& in, const Lanes<S>& l, YuvRows<S>* out) {
  rgb_to_yuv<S, both_chroma_rows>(m, split_sites<S>(in, l), l, out);
}

// Direct conversion of demosaiced rows with C_rgb (one offset for all
// rows), as 16-bit even and odd photosite values not yet saturated.
template <class S>
PPL_VEC_INLINE void rgb_to_rgb(const Matrix3<S>& m, const RgbSites<S>& in, RgbSites<S>* out) {
  using V = typename S::V;
  for (int row = 0; row < 2; ++row) {
    V(*dst[3])[2] = {&out->r[row], &out->g[row], &out->b[row]};
    for (int i = 0; i < 3; ++i)
      for (int parity = 0; parity < 2; ++parity)
        (*dst[i])[parity] = dot3<S>(m.k[3 * i], m.k[3 * i + 1], m.k[3 * i + 2], in.r[row][parity],
                                    in.g[row][parity], in.b[row][parity], m.offset);
  }
}

// The same saturated into bytes.
template <class S>
PPL_VEC_INLINE void rgb_to_rgb(const Matrix3<S>& m, const RgbSites<S>& in, RgbRows<S>* out) {
  RgbSites<S> s;
  rgb_to_rgb<S>(m, in, &s);
  for (int row = 0; row < 2; ++row) {
    out->r[row] = interleave_u8<S>(s.r[row][0], s.r[row][1]);
    out->g[row] = interleave_u8<S>(s.g[row][0], s.g[row][1]);
    out->b[row] = interleave_u8<S>(s.b[row][0], s.b[row][1]);
  }
}

template <class S>
PPL_VEC_INLINE void rgb_to_rgb(const Matrix3<S>& m, const RgbRows<S>& in, const Lanes<S>& l, RgbRows<S>* out) {
  rgb_to_rgb<S>(m, split_sites<S>(in, l), out);
}

// ------------------------------------------------- full-size output packs
//
// Each pack writes the group of picture columns x0 .. x0 + kBytes - 1 of
// picture rows y and y + 1. With the horizontal mirror the group is
// reversed before it is stored, so the row reads right to left.

template <class S>
PPL_VEC_INLINE typename S::V maybe_reverse8(bool mirror, typename S::V v) {
  return mirror ? reverse8<S>(v) : v;
}

template <class S>
PPL_VEC_INLINE void pack_i420(const YuvRows<S>& in, const Plane& y_plane, const Plane& u_plane,
                              int32_t quarter, int32_t x0, int32_t y, const Lanes<S>& l) {
  using V = typename S::V;
  const bool mirror = mirrored(y_plane);
  S::store(block_at(y_plane, x0, S::kBytes, y), maybe_reverse8<S>(mirror, in.y[0]));
  S::store(block_at(y_plane, x0, S::kBytes, y + 1), maybe_reverse8<S>(mirror, in.y[1]));
  // One chroma sample per 2 x 2 block: the pair of the first row's even pixel.
  const V c = limit_chroma<S>(in.c[0]);
  const V u16 = S::and_(c, l.low_bytes), v16 = S::template srl16<8>(c);
  const V u = maybe_reverse8<S>(mirror, S::packus16(u16, u16));
  const V v = maybe_reverse8<S>(mirror, S::packus16(v16, v16));
  uint8_t* at = block_at(u_plane, x0 / 2, S::kBytes / 2, y / 2);
  S::store_half(at, u);
  S::store_half(at + quarter, v);
}

// YUYV (`uyvy` false) or UYVY: both rows carry their own chroma.
template <class S, bool uyvy>
PPL_VEC_INLINE void pack_422(const YuvRows<S>& in, const Plane& plane, int32_t x0, int32_t y) {
  using V = typename S::V;
  const bool mirror = mirrored(plane);
  for (int row = 0; row < 2; ++row) {
    V luma = in.y[row];
    V chroma = limit_chroma<S>(in.c[row]);
    if (mirror) {
      luma = reverse8<S>(luma);
      chroma = S::reverse16(chroma);   // U stays before V
    }
    uint8_t* at = block_at(plane, x0, S::kBytes, y + row);
    S::store(at, uyvy ? S::unpacklo8(chroma, luma) : S::unpacklo8(luma, chroma));
    S::store(at + S::kBytes, uyvy ? S::unpackhi8(chroma, luma) : S::unpackhi8(luma, chroma));
  }
}

// B, G, R, 0 of every pixel of one row, in four registers of kBytes / 4 pixels.
template <class S>
PPL_VEC_INLINE void bgr0_pixels(typename S::V r, typename S::V g, typename S::V b, typename S::V px[4]) {
  const typename S::V z = S::zero();
  const typename S::V bg_lo = S::unpacklo8(b, g), bg_hi = S::unpackhi8(b, g);
  const typename S::V r_lo = S::unpacklo8(r, z), r_hi = S::unpackhi8(r, z);
  px[0] = S::unpacklo16(bg_lo, r_lo);
  px[1] = S::unpackhi16(bg_lo, r_lo);
  px[2] = S::unpacklo16(bg_hi, r_hi);
  px[3] = S::unpackhi16(bg_hi, r_hi);
}

// One row of kBytes RGB24 pixels as three registers (S::interleave3_32's
// order), from the 16-bit values of their even (re, ge, be) and odd (ro,
// go, bo) photosites, saturated to bytes here: pixel pair p is photosites
// 2p (first) and 2p + 1 (second). Mirrored, pixel pair p is the odd
// photosite kBytes - 1 - 2p (first) and the even one kBytes - 2 - 2p
// (second), so the halves swap roles and their lanes are reversed.
template <class S>
PPL_VEC_INLINE void bgr24_sites_registers(bool mirror, typename S::V re, typename S::V ro, typename S::V ge,
                                          typename S::V go, typename S::V be, typename S::V bo,
                                          typename S::V* row) {
  if (mirror) {
    pair_bgr24_registers<S, PairLanes::kInOrder>(
        pair_bgr_bytes<S>(S::reverse16(bo), S::reverse16(go), S::reverse16(ro), S::reverse16(be),
                          S::reverse16(ge), S::reverse16(re)),
        row);
  } else {
    pair_bgr24_registers<S, PairLanes::kInOrder>(pair_bgr_bytes<S>(be, ge, re, bo, go, ro), row);
  }
}

// The same row written at out.
template <class S>
PPL_VEC_INLINE void store_bgr24_sites(uint8_t* out, bool mirror, typename S::V re, typename S::V ro,
                                      typename S::V ge, typename S::V go, typename S::V be, typename S::V bo) {
  typename S::V row[3];
  bgr24_sites_registers<S>(mirror, re, ro, ge, go, be, bo, row);
  for (int i = 0; i < 3; ++i) S::store(out + i * S::kBytes, row[i]);
}

// RGB32 of both rows. (RGB24 goes out from photosite values instead:
// pack_rgb24_sites in wide_packs.h.)
template <class S>
PPL_VEC_INLINE void pack_rgb32(const RgbRows<S>& in, const Plane& plane, int32_t x0, int32_t y) {
  using V = typename S::V;
  const bool mirror = mirrored(plane);
  for (int row = 0; row < 2; ++row) {
    V px[4];
    bgr0_pixels<S>(maybe_reverse8<S>(mirror, in.r[row]), maybe_reverse8<S>(mirror, in.g[row]),
                   maybe_reverse8<S>(mirror, in.b[row]), px);
    uint8_t* at = block_at(plane, x0, S::kBytes, y + row);
    for (int i = 0; i < 4; ++i) S::store(at + i * S::kBytes, px[i]);
  }
}

}  // namespace pplcam
