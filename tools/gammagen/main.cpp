// gammagen: generates the 65 stored gamma settings of pplcam
// (src/controls/gamma_tables.inc).
//
//   gammagen > src/controls/gamma_tables.inc
//
// Every setting s in -32..32 has an exponent g(s) = value(s) / 4096 with
// value(s) = floor(4096 x 0.45 x e^(-3s/64)) (the nf20_12 gamma the library
// reports), and two curves built from the same transfer function:
//
//   f(L) = k L                 for L < L0   (straight dark segment)
//   f(L) = (1 + a) L^g - a     for L >= L0
//
// with the straight segment ending at L0 = 0.018 and tangent to the power
// segment there, which fixes a and k for a given g. At g = 0.45 this is the
// ITU-R BT.709 transfer curve (a = 0.099, k = 4.5). The rgb curve is
// 255 f(x / 255); the yuv curve is 16 + 219 f((x - 16) / 219) on the studio
// range 16..235.
//
// The library's curves are fixed at a few telling entries per setting
// (settings -32, -16, 0, 16 and 32). The generator adds to each base curve
// a correction that is linear between those entries and, for the settings
// in between, linear in s between the corrections of the neighbouring
// fixed settings; the corrections stay within a couple of levels. The
// result is rounded and then held to the rules of the tables:
//  - every curve non-decreasing, and each setting at least as bright as
//    the one below it at every input;
//  - rgb: 0 -> 0; 255 -> 255, or 254 for exponents above 1, or 253 for
//    exponents of 2 and above (the top of 256 (255/256)^g);
//  - yuv: 16 at and below 16, at most 235, 235 at 255; the entry at 235 is
//    235 from setting -17 up (exponents below 1), 234 for settings -31..-18
//    and 233 for setting -32, with a ramp from there to 235 at 255;
//  - setting 0 within one level of the exact BT.709 curves;
//  - a straight dark end: the yuv entries 17 to 19 are put on the line
//    from (16, 16) to (20, entry 20) (the correction bends at the telling
//    entry 17; where 17 is a telling entry it stays and meets the line
//    within a level);
//    the rgb entries 0..4 are within a level of one line as they come.
// It checks every rule and the telling entries and fails (exit status 1,
// nothing printed) if any does not hold.
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMin = -32, kMax = 32, kCount = kMax - kMin + 1;

int exponent_value(int s) { return static_cast<int>(std::floor(4096.0 * 0.45 * std::exp(-3.0 * s / 64.0))); }

struct Transfer {
  double g, l0, a, k;
  explicit Transfer(double gamma) : g(gamma), l0(0.018) {
    if (std::fabs(g - 1.0) < 1e-12) {
      a = 0.0;
      k = 1.0;
      return;
    }
    const double p = std::pow(l0, g) * (1.0 - g);
    a = p / (1.0 - p);
    k = (1.0 + a) * g * std::pow(l0, g - 1.0);
  }
  double operator()(double l) const { return l < l0 ? k * l : (1.0 + a) * std::pow(l, g) - a; }
};

double bt709(double l) { return l < 0.018 ? 4.5 * l : 1.099 * std::pow(l, 0.45) - 0.099; }

double rgb_base(int s, int x) { return 255.0 * Transfer(exponent_value(s) / 4096.0)(x / 255.0); }
double yuv_base(int s, int x) {
  if (x <= 16) return 16.0;
  if (x >= 235) return 235.0;
  return 16.0 + 219.0 * Transfer(exponent_value(s) / 4096.0)((x - 16) / 219.0);
}

// Telling entries: the fixed settings and their outputs at kRgbX / kYuvX.
constexpr int kFixed[5] = {-32, -16, 0, 16, 32};
constexpr int kRgbX[7] = {0, 16, 32, 64, 128, 192, 255};
constexpr int kRgbY[5][7] = {{0, 1, 4, 15, 63, 143, 253},
                             {0, 17, 35, 68, 132, 194, 255},
                             {0, 55, 84, 125, 180, 221, 255},
                             {0, 88, 121, 159, 204, 233, 255},
                             {0, 108, 141, 176, 215, 238, 255}};
constexpr int kYuvX[7] = {16, 17, 32, 64, 128, 192, 235};
constexpr int kYuvY[5][7] = {{16, 16, 17, 26, 72, 156, 233},
                             {16, 17, 33, 67, 131, 193, 235},
                             {16, 20, 68, 116, 172, 212, 235},
                             {16, 24, 97, 146, 192, 221, 235},
                             {16, 27, 114, 161, 201, 224, 235}};

// Correction of fixed setting `f` at input x: the differences between the
// telling entries and the base curve, linear in between.
template <class Base>
double fixed_correction(int f, const int xs[7], const int ys[5][7], Base base, int x) {
  const int s = kFixed[f];
  if (x <= xs[0]) return ys[f][0] - base(s, xs[0]);
  for (int i = 1; i < 7; ++i) {
    if (x <= xs[i]) {
      const double t = double(x - xs[i - 1]) / (xs[i] - xs[i - 1]);
      return (ys[f][i - 1] - base(s, xs[i - 1])) * (1 - t) + (ys[f][i] - base(s, xs[i])) * t;
    }
  }
  return ys[f][6] - base(s, xs[6]);
}

template <class Base>
double correction(int s, const int xs[7], const int ys[5][7], Base base, int x) {
  for (int f = 1; f < 5; ++f) {
    if (s <= kFixed[f]) {
      const double t = double(s - kFixed[f - 1]) / (kFixed[f] - kFixed[f - 1]);
      return fixed_correction(f - 1, xs, ys, base, x) * (1 - t) + fixed_correction(f, xs, ys, base, x) * t;
    }
  }
  return 0.0;
}

int rgb_top(int s) {
  const int v = exponent_value(s);
  return v >= 2 * 4096 ? 253 : v > 4096 ? 254 : 255;
}
int yuv_top(int s) { return s == -32 ? 233 : s <= -18 ? 234 : 235; }

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

using Table = std::vector<int>;

Table make_rgb(int s) {
  Table t(256);
  for (int x = 0; x < 256; ++x) {
    int o = static_cast<int>(std::floor(rgb_base(s, x) + correction(s, kRgbX, kRgbY, rgb_base, x) + 0.5));
    if (s == 0) {
      const double r = 255.0 * bt709(x / 255.0);
      o = clamp(o, static_cast<int>(std::ceil(r - 1)), static_cast<int>(std::floor(r + 1)));
    }
    t[x] = clamp(o, 0, rgb_top(s));
  }
  t[0] = 0;
  t[255] = rgb_top(s);
  for (int x = 1; x < 256; ++x) t[x] = t[x] < t[x - 1] ? t[x - 1] : t[x];
  return t;
}

Table make_yuv(int s) {
  Table t(256);
  for (int x = 0; x < 256; ++x) {
    const int xc = x < 235 ? x : 235;
    int o = static_cast<int>(std::floor(yuv_base(s, x) + correction(s, kYuvX, kYuvY, yuv_base, xc) + 0.5));
    if (s == 0 && x >= 16 && x <= 235) {
      const double r = 16.0 + 219.0 * bt709((x - 16) / 219.0);
      o = clamp(o, static_cast<int>(std::ceil(r - 1)), static_cast<int>(std::floor(r + 1)));
    }
    t[x] = clamp(o, 16, yuv_top(s));
  }
  for (int x = 0; x <= 16; ++x) t[x] = 16;
  t[235] = yuv_top(s);
  for (int x = 1; x < 256; ++x) t[x] = t[x] < t[x - 1] ? t[x - 1] : t[x];
  bool fixed = false;
  for (int f : kFixed) fixed = fixed || f == s;
  for (int x = fixed ? 18 : 17; x < 20; ++x) t[x] = static_cast<int>(std::floor(16 + (x - 16) * (t[20] - 16) / 4.0 + 0.5));
  const int top = t[235];
  for (int x = 236; x < 256; ++x) t[x] = top + (235 - top) * (x - 235) / 20;
  return t;
}

bool check(const std::vector<Table>& rgb, const std::vector<Table>& yuv) {
  bool ok = true;
  auto fail = [&ok](const char* what, int s, int x) {
    std::fprintf(stderr, "gammagen: %s fails at setting %d, input %d\n", what, s, x);
    ok = false;
  };
  for (int f = 0; f < 5; ++f) {
    const int i = kFixed[f] - kMin;
    for (int j = 0; j < 7; ++j) {
      if (rgb[i][kRgbX[j]] != kRgbY[f][j]) fail("rgb telling entry", kFixed[f], kRgbX[j]);
      if (yuv[i][kYuvX[j]] != kYuvY[f][j]) fail("yuv telling entry", kFixed[f], kYuvX[j]);
    }
  }
  for (int i = 0; i < kCount; ++i) {
    const int s = i + kMin;
    if (rgb[i][0] != 0 || rgb[i][255] < 253) fail("rgb ends", s, 0);
    if (yuv[i][255] != 235 || yuv[i][235] != yuv_top(s)) fail("yuv top", s, 235);
    for (int x = 0; x < 256; ++x) {
      if (x > 0 && rgb[i][x] < rgb[i][x - 1]) fail("rgb non-decreasing", s, x);
      if (x > 0 && yuv[i][x] < yuv[i][x - 1]) fail("yuv non-decreasing", s, x);
      if (yuv[i][x] < 16 || yuv[i][x] > 235 || (x <= 16 && yuv[i][x] != 16)) fail("yuv studio range", s, x);
      if (i > 0 && (rgb[i][x] < rgb[i - 1][x] || yuv[i][x] < yuv[i - 1][x])) fail("order of settings", s, x);
    }
  }
  for (int i = 0; i < kCount; ++i) {
    for (int x = 0; x <= 4; ++x) {
      if (std::fabs(rgb[i][x] - x * rgb[i][4] / 4.0) > 1.0) fail("rgb dark end", i + kMin, x);
      if (std::fabs(yuv[i][16 + x] - (16 + x * (yuv[i][20] - 16) / 4.0)) > 1.0) fail("yuv dark end", i + kMin, 16 + x);
    }
  }
  const int i0 = -kMin;
  for (int x = 0; x < 256; ++x) {
    if (std::fabs(rgb[i0][x] - 255.0 * bt709(x / 255.0)) > 1.0) fail("BT.709 rgb", 0, x);
    if (x >= 16 && x <= 235 && std::fabs(yuv[i0][x] - (16.0 + 219.0 * bt709((x - 16) / 219.0))) > 1.0)
      fail("BT.709 yuv", 0, x);
  }
  return ok;
}

void print_tables(const char* name, const std::vector<Table>& tables) {
  std::printf("const uint8_t %s[kGammaSettings][256] = {\n", name);
  for (int i = 0; i < kCount; ++i) {
    std::printf("    // setting %d\n    {", i + kMin);
    for (int x = 0; x < 256; ++x) std::printf("%s%3d%s", x % 16 == 0 ? (x ? "\n     " : "") : "", tables[i][x], x < 255 ? "," : "");
    std::printf("},\n");
  }
  std::printf("};\n\n");
}

}  // namespace

int main() {
  std::vector<Table> rgb, yuv;
  for (int s = kMin; s <= kMax; ++s) {
    rgb.push_back(make_rgb(s));
    yuv.push_back(make_yuv(s));
  }
  if (!check(rgb, yuv)) return 1;
  std::printf("// Generated by tools/gammagen; do not edit. The 65 stored gamma settings,\n"
              "// indexed by setting + 32: exponents (20.12), rgb curves, yuv curves.\n\n");
  std::printf("const int32_t kGammaExponents[kGammaSettings] = {");
  for (int i = 0; i < kCount; ++i) std::printf("%s%d%s", i % 12 == 0 ? "\n    " : " ", exponent_value(i + kMin), i < kCount - 1 ? "," : "");
  std::printf("};\n\n");
  print_tables("kRgbGammaTables", rgb);
  print_tables("kYuvGammaTables", yuv);
  return 0;
}
