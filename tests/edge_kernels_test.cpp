// The quality-0/1 kernels of every path against the per-pixel model: the
// edge-directed green and the colour differences over whole random frames
// (every group, the border groups through reflected staging), the luma
// sharpening with random and extreme parameters, the full-range
// conversion and the fixed YUV-to-RGB step, and the worked examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bayer/edge_demosaic.h"
#include "bayer/edge_enhance.h"
#include "bayer/full_range.h"
#include "bayer/row_taps.h"
#include "model/edge_model.h"
#include "model/pixel_ops.h"
#include "support/buffers.h"
#include "support/kernel_path.h"

namespace pplcam::test {
namespace {

using edge::reflect_index;

template <class S>
struct Block {
  alignas(16) uint8_t b[S::kBytes];
};
template <class S>
Block<S> bytes_of(typename S::V v) {
  Block<S> out;
  S::store(out.b, v);
  return out;
}

// A w x h plane with the group taps of any row, reflected at the edges.
struct Plane {
  const uint8_t* p;
  int w, h;
  int at(int y, int x) const { return p[reflect_index(y, h) * w + reflect_index(x, w)]; }
  template <class S>
  edge::RowTaps<S> taps(int y, int x0) const {
    uint8_t staged[S::kBytes + 4];
    for (int i = 0; i < S::kBytes + 4; ++i) staged[i] = static_cast<uint8_t>(at(y, x0 + i - 2));
    return edge::taps_from_staged<S>(staged);
  }
  template <class S>
  typename S::V group(int y, int x0) const {
    return taps<S>(y, x0).at(0);
  }
};

// The green of every photosite through green_row, one group at a time.
template <class S>
std::vector<uint8_t> kernel_green(const Plane& m) {
  std::vector<uint8_t> out(static_cast<size_t>(m.w) * m.h);
  for (int y = 0; y < m.h; ++y)
    for (int x0 = 0; x0 < m.w; x0 += S::kBytes) {
      const auto taps = m.taps<S>(y, x0);
      const int nn_row = y == 1 ? 3 : y - 2;   // the top-edge exception of row 1
      const auto nn = m.group<S>(nn_row, x0), n = m.group<S>(y - 1, x0);
      const auto s = m.group<S>(y + 1, x0), ss = m.group<S>(y + 2, x0);
      const auto g = (y & 1) ? edge::green_row<S, 1>(taps, nn, n, s, ss)
                             : edge::green_row<S, 0>(taps, nn, n, s, ss);
      S::store(&out[y * m.w + x0], g);
    }
  S::end();
  return out;
}

template <class S>
std::vector<model::Rgb8> kernel_colour(const Plane& m, const Plane& green) {
  std::vector<model::Rgb8> out(static_cast<size_t>(m.w) * m.h);
  for (int y = 0; y < m.h; y += 2)
    for (int x0 = 0; x0 < m.w; x0 += S::kBytes) {
      edge::ColourTaps<S> rows[4];
      for (int i = 0; i < 4; ++i) {
        const int shift = (i & 1) ? 2 : -2;
        const auto st = m.taps<S>(y - 1 + i, x0), gt = green.taps<S>(y - 1 + i, x0);
        rows[i] = {st.at(0), st.at(shift), gt.at(0), gt.at(shift)};
      }
      const RgbSites<S> sites = edge::colour_pair_sites<S>(rows);
      for (int row = 0; row < 2; ++row) {
        const auto rb = bytes_of<S>(interleave_u8<S>(sites.r[row][0], sites.r[row][1]));
        const auto gb = bytes_of<S>(interleave_u8<S>(sites.g[row][0], sites.g[row][1]));
        const auto bb = bytes_of<S>(interleave_u8<S>(sites.b[row][0], sites.b[row][1]));
        for (int i = 0; i < S::kBytes; ++i) out[(y + row) * m.w + x0 + i] = {rb.b[i], gb.b[i], bb.b[i]};
      }
    }
  S::end();
  return out;
}

template <class S>
std::vector<uint8_t> kernel_sharpen(const Plane& luma, int threshold, int factor_q6) {
  const edge::SharpenParams<S> k{S::set1_16(static_cast<int16_t>(threshold)),
                                 S::set1_16(static_cast<int16_t>(factor_q6))};
  std::vector<uint8_t> out(static_cast<size_t>(luma.w) * luma.h);
  for (int y = 0; y < luma.h; ++y)
    for (int x0 = 0; x0 < luma.w; x0 += S::kBytes)
      S::store(&out[y * luma.w + x0], edge::sharpen_row<S>(luma.taps<S>(y - 1, x0), luma.taps<S>(y, x0),
                                                           luma.taps<S>(y + 1, x0), k));
  S::end();
  return out;
}

template <class S>
void expect_demosaic_matches_model(const std::vector<uint8_t>& frame, int w, int h) {
  const Plane m{frame.data(), w, h};
  const model::Mosaic mosaic{frame.data(), w, w, h};
  const std::vector<uint8_t> green = kernel_green<S>(m);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(green[y * w + x], model::edge_green(mosaic, y, x)) << "green at " << x << "," << y;
  const std::vector<model::Rgb8> rgb = kernel_colour<S>(m, Plane{green.data(), w, h});
  const std::vector<model::Rgb8> want = model::edge_demosaic(mosaic);
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(rgb[i].r, want[i].r) << "R at " << i % w << "," << i / w;
    ASSERT_EQ(rgb[i].g, want[i].g) << "G at " << i % w << "," << i / w;
    ASSERT_EQ(rgb[i].b, want[i].b) << "B at " << i % w << "," << i / w;
  }
}

template <class P>
class EdgeKernels : public PathFixture<P> {};
TYPED_TEST_SUITE(EdgeKernels, AllPathTypes);

TYPED_TEST(EdgeKernels, DemosaicOfRandomFramesMatchesTheModel) {
  using S = typename TypeParam::S;
  // Random bytes hit both branches of the edge test everywhere; low-contrast
  // frames (values near one level) keep most photosites off the edges.
  const int sizes[][2] = {{48, 12}, {64, 14}, {32, 16}};
  uint32_t seed = 7;
  for (const auto& s : sizes)
    for (int contrast : {255, 40}) {
      std::vector<uint8_t> frame = random_bytes(static_cast<size_t>(s[0]) * s[1], ++seed);
      if (contrast != 255)
        for (auto& v : frame) v = static_cast<uint8_t>(100 + v % contrast);
      SCOPED_TRACE(::testing::Message() << s[0] << "x" << s[1] << " contrast " << contrast);
      expect_demosaic_matches_model<S>(frame, s[0], s[1]);
    }
}

// The green of the B photosite at (4, 8) of a frame at level 100 whose
// neighbours N, S, W, E are set as given.
template <class S>
int green_with_neighbours(int n, int s, int w, int e) {
  const int width = 32, height = 12;
  std::vector<uint8_t> frame(width * height, 100);
  frame[3 * width + 8] = static_cast<uint8_t>(n);
  frame[5 * width + 8] = static_cast<uint8_t>(s);
  frame[4 * width + 7] = static_cast<uint8_t>(w);
  frame[4 * width + 9] = static_cast<uint8_t>(e);
  return kernel_green<S>(Plane{frame.data(), width, height})[4 * width + 8];
}

TYPED_TEST(EdgeKernels, StrongEdgesInterpolateAlongTheEdgeOnly) {
  using S = typename TypeParam::S;
  // M, NN, SS, WW, EE are 100 throughout, so the vertical estimate is
  // N + S - 100 and the horizontal one W + E - 100.
  // A vertical edge (W and E differ by 40, N = S): along the column only.
  EXPECT_EQ(green_with_neighbours<S>(100, 100, 60, 100), 100);
  // A horizontal edge (N and S differ by 40, W = E): along the row only.
  EXPECT_EQ(green_with_neighbours<S>(60, 100, 100, 100), 100);
  // Gradients 40 and 30: the weaker one is not below 30, both estimates
  // count: 50 + (60 + 70) / 4.
  EXPECT_EQ(green_with_neighbours<S>(70, 100, 60, 100), 82);
  // Gradients 30 and 0: the stronger one is not above 30: 50 + 170 / 4.
  EXPECT_EQ(green_with_neighbours<S>(100, 100, 70, 100), 92);
  // Equal gradients above 30 are no edge either: 50 + 120 / 4.
  EXPECT_EQ(green_with_neighbours<S>(60, 100, 60, 100), 80);
}

TYPED_TEST(EdgeKernels, SharpeningMatchesTheModel) {
  using S = typename TypeParam::S;
  const int w = 48, h = 10;
  std::mt19937 rng(11);
  for (int iter = 0; iter < 24; ++iter) {
    std::vector<uint8_t> luma = random_bytes(w * h, 100 + iter);
    if (iter % 3 == 1)   // gentle slopes, below and above the threshold
      for (int i = 0; i < w * h; ++i) luma[i] = static_cast<uint8_t>(60 + (i % w) * 3 + luma[i] % 12);
    const int threshold = iter < 4 ? (iter == 0 ? 0 : 1530) : static_cast<int>(rng() % 1531);
    const int factor_q6 = iter < 8 ? (iter % 2 ? 64 : 0) : static_cast<int>(rng() % 65);
    SCOPED_TRACE(::testing::Message() << "T " << threshold << " F>>2 " << factor_q6);
    const std::vector<uint8_t> got = kernel_sharpen<S>(Plane{luma.data(), w, h}, threshold, factor_q6);
    ASSERT_EQ(got, model::sharpen_luma(luma, w, h, threshold, factor_q6));
  }
}

TYPED_TEST(EdgeKernels, FullRangeConversionMatchesTheModel) {
  using S = typename TypeParam::S;
  std::mt19937 rng(3);
  for (int iter = 0; iter < 200; ++iter) {
    int16_t k[9];
    for (auto& x : k) x = static_cast<int16_t>(static_cast<int>(rng() % 512) - 256);
    const int16_t offset = static_cast<int16_t>(rng());
    Matrix3<S> c;
    for (int i = 0; i < 9; ++i) c.k[i] = S::set1_16(k[i]);
    c.offset = S::set1_16(offset);
    Block<S> r, g, b;
    for (int i = 0; i < S::kBytes; ++i) r.b[i] = rng(), g.b[i] = rng(), b.b[i] = rng();
    typename S::V y, u, v;
    edge::full_range_yuv<S>(c, S::load(r.b), S::load(g.b), S::load(b.b), &y, &u, &v);
    const auto yb = bytes_of<S>(y), ub = bytes_of<S>(u), vb = bytes_of<S>(v);
    S::end();
    for (int i = 0; i < S::kBytes; ++i) {
      const model::FullYuv want = model::full_range_yuv(k, offset, r.b[i], g.b[i], b.b[i]);
      ASSERT_EQ(yb.b[i], want.y);
      ASSERT_EQ(static_cast<int8_t>(ub.b[i]), want.u);
      ASSERT_EQ(static_cast<int8_t>(vb.b[i]), want.v);
    }
  }
}

TYPED_TEST(EdgeKernels, FixedYuvToRgbMatchesTheModelEverywhere) {
  using S = typename TypeParam::S;
  // Every (Y, U, V) with Y on a coarse grid that includes both ends.
  for (int y = 0; y < 256; y += (y < 250 ? 17 : 1))
    for (int u = -128; u < 128; u += 1)
      for (int v0 = -128; v0 < 128; v0 += S::kBytes) {
        Block<S> yb, ub, vb;
        for (int i = 0; i < S::kBytes; ++i) yb.b[i] = y, ub.b[i] = u, vb.b[i] = v0 + i;
        typename S::V r, g, b;
        edge::fixed_yuv_to_rgb<S>(S::load(yb.b), S::load(ub.b), S::load(vb.b), &r, &g, &b);
        const auto rb = bytes_of<S>(r), gb = bytes_of<S>(g), bb = bytes_of<S>(b);
        for (int i = 0; i < S::kBytes; ++i) {
          const model::Rgb8 want =
              model::fixed_yuv_to_rgb(static_cast<uint8_t>(y), static_cast<int8_t>(u), static_cast<int8_t>(v0 + i));
          ASSERT_EQ(rb.b[i], want.r) << y << " " << u << " " << v0 + i;
          ASSERT_EQ(gb.b[i], want.g) << y << " " << u << " " << v0 + i;
          ASSERT_EQ(bb.b[i], want.b) << y << " " << u << " " << v0 + i;
        }
      }
  S::end();
}

TYPED_TEST(EdgeKernels, RingTapsReadAcrossTheRingEnd) {
  using S = typename TypeParam::S;
  // A ring row that starts one group before the end of the ring continues
  // at its start; its taps must be the row's own neighbours.
  const uint32_t size = 256, mask = size - 1;
  std::vector<uint8_t> ring = random_bytes(size, 5);
  for (uint32_t index : {0u, size - S::kBytes, 64u}) {
    const edge::RowTaps<S> t = edge::taps_from_ring<S>(ring.data(), mask, index);
    for (int offset = -2; offset <= 2; ++offset) {
      const Block<S> got = bytes_of<S>(t.at(offset));
      for (int i = 0; i < S::kBytes; ++i)
        ASSERT_EQ(got.b[i], ring[(index + i + offset) & mask]) << index << " " << offset << " " << i;
    }
  }
  S::end();
}

}  // namespace
}  // namespace pplcam::test
