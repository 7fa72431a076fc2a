// The statistics picture of `pplcam stats`: where each window lies on the
// frame and what it measured, next to the histograms and a level scale.
#include <algorithm>
#include <cstdio>

#include "canvas.h"
#include "image_io.h"
#include "stats.h"

namespace pplcam_tool {

namespace {

constexpr int kMargin = 16, kTop = 30;
constexpr int kPanelW = 640, kPanelH = 480;   // the frame is scaled to fit
constexpr int kRight = kMargin + kPanelW + 28;  // histograms and swatches
constexpr int kWidth = kRight + 256 + 60, kHeight = kTop + kPanelH + 64;

const Colour kBackground{32, 32, 36}, kText{230, 230, 230}, kDim{150, 150, 150};

uint8_t to_byte(uint32_t mean) { return uint8_t(std::min<uint32_t>((mean + 128) >> 8, 255)); }
Colour colour_of(const Rgb& c) { return {to_byte(c[0]), to_byte(c[1]), to_byte(c[2])}; }
Colour readable_on(Colour c) { return c.r * 3 + c.g * 6 + c.b > 1200 ? Colour{0, 0, 0} : Colour{255, 255, 255}; }

std::string rounded(uint32_t mean) { return std::to_string((mean + 128) >> 8); }

std::string rgb_label(const Rgb& c) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "R %.1f  G %.1f  B %.1f", c[0] / 256.0, c[1] / 256.0, c[2] / 256.0);
  return buf;
}

// Tick marks and labels of a 0..255 axis, 256 pixels from x0, at y.
void level_axis(Canvas& cv, int x0, int y) {
  for (int v : {0, 64, 128, 192, 255}) {
    cv.fill(x0 + v, y, 1, 4, kDim);
    const std::string label = std::to_string(v);
    cv.text(std::min(x0 + v - Canvas::text_width(label) / 2, x0 + 256 - Canvas::text_width(label)), y + 6, label,
            kDim);
  }
}

// The frame, scaled to fit the panel, the grid of windows over it and each
// window's mean as a patch with its R, G, B. Returns the panel's height.
int draw_frame(Canvas& cv, const FrameStats& s, const uint8_t* rgb24, bool library_means) {
  const int w = s.size.width, h = s.size.height;
  const double scale = std::min(double(kPanelW) / w, double(kPanelH) / h);
  const int pw = int(w * scale), ph = int(h * scale);
  // Windows: ww column groups by wh row pairs, from the top-left corner.
  const int win_w = ((w / s.group_bytes) >> 3) * s.group_bytes, win_h = ((h / 2) / 6) * 2;
  for (int y = 0; y < ph; ++y) {
    for (int x = 0; x < pw; ++x) {
      const int sx = std::min(int(x / scale), w - 1), sy = std::min(int(y / scale), h - 1);
      const uint8_t* p = rgb24 + (size_t(h - 1 - sy) * w + sx) * 3;   // bottom-up B, G, R
      const bool outside = sx >= 8 * win_w || sy >= 6 * win_h;
      // The region outside the grid is dimmed: its cells feed no window.
      const int k = outside ? 2 : 1;
      cv.put(kMargin + x, kTop + y, {uint8_t(p[2] / k), uint8_t(p[1] / k), uint8_t(p[0] / k)});
    }
  }
  const bool have_windows = s.quality < 3 && win_w > 0 && win_h > 0;
  if (have_windows) {
    const Rgb* means = library_means ? s.grid.data() : s.levels.regions.data();
    for (int row = 0; row < 6; ++row) {
      for (int col = 0; col < 8; ++col) {
        const int x = kMargin + int(col * win_w * scale), y = kTop + int(row * win_h * scale);
        const int cw = int(win_w * scale), ch = int(win_h * scale);
        const Rgb& m = means[row * 8 + col];
        const Colour c = colour_of(m);
        const int bw = std::min(cw - 6, 40), bh = std::min(ch - 6, 29);
        if (bw > 0 && bh > 0) cv.fill(x + 3, y + 3, bw, bh, c);
        if (bw >= 34 && bh >= 27 && (library_means || s.levels.cells[row * 8 + col])) {
          const Colour t = readable_on(c);
          cv.text(x + 5, y + 5, "R " + rounded(m[0]), t);
          cv.text(x + 5, y + 14, "G " + rounded(m[1]), t);
          cv.text(x + 5, y + 23, "B " + rounded(m[2]), t);
        }
      }
    }
    // Grid lines, light with a dark edge so they show on any picture.
    for (int col = 0; col <= 8; ++col) {
      const int x = kMargin + std::min(int(col * win_w * scale), pw - 1);
      cv.fill(x, kTop, 1, int(6 * win_h * scale), {255, 255, 255});
      cv.fill(x + 1, kTop, 1, int(6 * win_h * scale), {0, 0, 0});
    }
    for (int row = 0; row <= 6; ++row) {
      const int y = kTop + std::min(int(row * win_h * scale), ph - 1);
      cv.fill(kMargin, y, int(8 * win_w * scale), 1, {255, 255, 255});
      cv.fill(kMargin, y + 1, int(8 * win_w * scale), 1, {0, 0, 0});
    }
  }
  std::string title = "FRAME " + to_string(s.size) + ", QUALITY " + std::to_string(s.quality) + ": ";
  if (!have_windows) title += "NO WINDOW MEANS AT THIS QUALITY";
  else if (library_means) title += "LIBRARY WINDOW MEANS (FIXED SAMPLING AND SCALING)";
  else title += "WINDOW MEANS OVER THE CELLS EACH WINDOW SAMPLED";
  cv.text(kMargin, kTop - 18, title, kText);
  return ph;
}

void draw_histograms(Canvas& cv, const FrameStats& s) {
  static const char* kNames[3] = {"R", "G", "B"};
  static const Colour kBars[3] = {{230, 60, 60}, {60, 210, 60}, {80, 120, 250}};
  for (int c = 0; c < 3; ++c) {
    const auto& h = s.histogram[c];
    // Every sample without a qualifying cell lands in bin 0; each plot is
    // scaled to its highest bin above 0, and a taller bin 0 is clipped.
    const uint32_t peak = std::max<uint32_t>(1, *std::max_element(h.begin() + 1, h.end()));
    const int x0 = kRight, y0 = kTop + c * 118, height = 80;
    cv.text(x0, y0 - 18, std::string(kNames[c]) + " HISTOGRAM OF QUAL CELLS, TOP " + std::to_string(peak), kText);
    cv.fill(x0, y0, 256, height, {16, 16, 16});
    for (int i = 0; i < 256; ++i) {
      const int bar = int(std::min<uint64_t>(uint64_t(h[i]) * height / peak, height));
      cv.fill(x0 + i, y0 + height - bar, 1, bar, kBars[c]);
    }
    if (h[0] > peak) cv.text(x0 + 3, y0 + 2, "BIN 0: " + std::to_string(h[0]), kDim);
    level_axis(cv, x0, y0 + height + 1);
  }
}

void draw_swatches(Canvas& cv, const FrameStats& s, bool library_means) {
  const Rgb& whole = library_means ? s.whole : s.levels.whole;
  const struct {
    const char* label;
    const Rgb& mean;
  } swatches[] = {{"WHOLE FRAME", whole}, {"QUAL CELLS (WHITE BALANCE)", s.qual}, {"QAE CELLS (EXPOSURE)", s.qae}};
  int y = kTop + 3 * 118 + 2;
  for (const auto& sw : swatches) {
    cv.fill(kRight, y, 36, 24, colour_of(sw.mean));
    cv.frame(kRight, y, 36, 24, kDim);
    cv.text(kRight + 44, y + 2, sw.label, kText);
    cv.text(kRight + 44, y + 13, rgb_label(sw.mean), kDim);
    y += 34;
  }
}

}  // namespace

void write_stats_picture(const std::string& path, const FrameStats& s, const uint8_t* rgb24, bool library_means) {
  Canvas cv(kWidth, kHeight, kBackground);
  const int ph = draw_frame(cv, s, rgb24, library_means);
  // The scale: which grey each level is, to read the patches against.
  const int y = kTop + ph + 10;
  for (int v = 0; v < 256; ++v) cv.fill(kMargin + 40 + v, y, 1, 12, {uint8_t(v), uint8_t(v), uint8_t(v)});
  cv.text(kMargin, y + 3, "LEVEL", kText);
  level_axis(cv, kMargin + 40, y + 13);
  draw_histograms(cv, s);
  draw_swatches(cv, s, library_means);
  OutputFile out(path);
  write_png(out, cv.rgb(), cv.size(), false);
  out.commit();
}

}  // namespace pplcam_tool
