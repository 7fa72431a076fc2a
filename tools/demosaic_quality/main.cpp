// pplcam-demosaic-quality: how close each demosaic comes to the picture it
// was made from. Every photograph given on the command line is cropped to
// whole 16-pixel groups, mosaicked to the library's Bayer layout (blue at
// row 0, column 0), demosaiced by pplcam at qualities 0 to 3 and by
// OpenCV's bilinear, edge-aware and VNG demosaics, and each result is
// compared with the original: colour PSNR over R, G and B, leaving out a
// margin of 8 pixels on every side so that no method's border handling
// counts.
//
// The library runs with identity gamma and colour matrices, so its output
// is the demosaic alone (quality 0 adds its sharpening and the route
// through full-range YUV; "q0 no sharpening" shows that route alone, with
// the sharpening threshold at its maximum).
//
// Usage: pplcam-demosaic-quality [image ...]; without arguments it reads
// the CC0 / public-domain photographs of Debian's python3-skimage.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "pplcam/pplcam.h"

namespace {

constexpr int kMargin = 8;
const char* const kDefaultImages[] = {
    "/usr/lib/python3/dist-packages/skimage/data/astronaut.png",
    "/usr/lib/python3/dist-packages/skimage/data/coffee.png",
    "/usr/lib/python3/dist-packages/skimage/data/chelsea.png",
    "/usr/lib/python3/dist-packages/skimage/data/rocket.jpg",
};

double psnr(const cv::Mat& a, const cv::Mat& b) {
  const cv::Rect inner(kMargin, kMargin, a.cols - 2 * kMargin, a.rows - 2 * kMargin);
  cv::Mat diff;
  cv::absdiff(a(inner), b(inner), diff);
  diff.convertTo(diff, CV_64F);
  const cv::Scalar s = cv::sum(diff.mul(diff));
  const double mse = (s[0] + s[1] + s[2]) / (3.0 * inner.area());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// B at (even, even), R at (odd, odd), G elsewhere; from a BGR picture.
cv::Mat mosaic(const cv::Mat& bgr) {
  cv::Mat raw(bgr.rows, bgr.cols, CV_8UC1);
  for (int y = 0; y < bgr.rows; ++y)
    for (int x = 0; x < bgr.cols; ++x) {
      const int channel = (y % 2 == 0 && x % 2 == 0) ? 0 : (y % 2 == 1 && x % 2 == 1) ? 2 : 1;
      raw.at<uint8_t>(y, x) = bgr.at<cv::Vec3b>(y, x)[channel];
    }
  return raw;
}

// pplcam's RGB24 (bottom-up B, G, R) at `quality`, as a top-down BGR picture.
cv::Mat pplcam_demosaic(const cv::Mat& raw, int quality, int edge_threshold) {
  ppl_context* ctx = ppl_init();
  uint8_t identity[256];
  for (int i = 0; i < 256; ++i) identity[i] = static_cast<uint8_t>(i);
  ppl_copy_rgb_gamma_table(ctx, identity);
  ppl_set_quality(ctx, quality);
  ppl_set_edge_threshold(ctx, edge_threshold);
  cv::Mat src = raw.clone();   // conditioned in place
  cv::Mat out(raw.rows, raw.cols, CV_8UC3);
  if (BaylorToRGB24MMX(ctx, src.data, out.data, raw.cols, raw.rows) != 1)
    std::fprintf(stderr, "conversion at quality %d failed\n", quality);
  ppl_free(ctx);
  cv::Mat top_down;
  cv::flip(out, top_down, 0);
  return top_down;
}

struct Method {
  const char* name;
  int quality;          // pplcam quality, or -1 for an OpenCV code
  int edge_threshold;   // pplcam
  int opencv_kind;      // 0 bilinear, 1 edge-aware, 2 VNG
};

}  // namespace

int main(int argc, char** argv) {
  cv::setNumThreads(1);
  std::vector<std::string> paths(argv + 1, argv + argc);
  if (paths.empty()) paths.assign(std::begin(kDefaultImages), std::end(kDefaultImages));

  // OpenCV names its Bayer layouts differently from the library, and not
  // consistently across its demosaics; for each of the three take the one
  // of the four layouts that best fits the first picture.
  const int patterns[4][3] = {
      {cv::COLOR_BayerBG2BGR, cv::COLOR_BayerBG2BGR_EA, cv::COLOR_BayerBG2BGR_VNG},
      {cv::COLOR_BayerGB2BGR, cv::COLOR_BayerGB2BGR_EA, cv::COLOR_BayerGB2BGR_VNG},
      {cv::COLOR_BayerRG2BGR, cv::COLOR_BayerRG2BGR_EA, cv::COLOR_BayerRG2BGR_VNG},
      {cv::COLOR_BayerGR2BGR, cv::COLOR_BayerGR2BGR_EA, cv::COLOR_BayerGR2BGR_VNG}};
  const char* pattern_names[4] = {"BayerBG", "BayerGB", "BayerRG", "BayerGR"};
  int pattern[3] = {-1, -1, -1};

  const Method methods[] = {
      {"pplcam q0", 0, 100, 0},          {"pplcam q0 no sharpening", 0, 1530, 0},
      {"pplcam q1", 1, 100, 0},          {"pplcam q2", 2, 100, 0},
      {"pplcam q3", 3, 100, 0},          {"OpenCV bilinear", -1, 0, 0},
      {"OpenCV edge-aware", -1, 0, 1},   {"OpenCV VNG", -1, 0, 2},
  };
  const int n_methods = sizeof methods / sizeof methods[0];
  std::vector<double> total(n_methods, 0.0);
  int images = 0;

  std::printf("| picture | size |");
  for (const Method& m : methods) std::printf(" %s |", m.name);
  std::printf("\n|---|---|");
  for (int i = 0; i < n_methods; ++i) std::printf("---|");
  std::printf("\n");

  for (const std::string& path : paths) {
    cv::Mat img = cv::imread(path, cv::IMREAD_COLOR);
    if (img.empty()) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      continue;
    }
    const int w = std::min(img.cols / 16 * 16, 1280), h = std::min(img.rows / 2 * 2, 1024);
    img = img(cv::Rect(0, 0, w, h)).clone();
    const cv::Mat raw = mosaic(img);
    for (int kind = 0; kind < 3 && pattern[kind] < 0; ++kind) {
      double best = -1;
      for (int p = 0; p < 4; ++p) {
        cv::Mat out;
        cv::cvtColor(raw, out, patterns[p][kind]);
        const double q = psnr(img, out);
        if (q > best) best = q, pattern[kind] = p;
      }
      std::fprintf(stderr, "OpenCV layout of demosaic %d: %s\n", kind, pattern_names[pattern[kind]]);
    }
    const std::string name = path.substr(path.find_last_of('/') + 1);
    std::printf("| %s | %dx%d |", name.c_str(), w, h);
    for (int i = 0; i < n_methods; ++i) {
      const Method& m = methods[i];
      cv::Mat out;
      if (m.quality >= 0) out = pplcam_demosaic(raw, m.quality, m.edge_threshold);
      else cv::cvtColor(raw, out, patterns[pattern[m.opencv_kind]][m.opencv_kind]);
      const double q = psnr(img, out);
      total[i] += q;
      std::printf(" %.2f |", q);
    }
    std::printf("\n");
    ++images;
  }
  if (images > 1) {
    std::printf("| mean | |");
    for (int i = 0; i < n_methods; ++i) std::printf(" %.2f |", total[i] / images);
    std::printf("\n");
  }
  return images > 0 ? 0 : 1;
}
