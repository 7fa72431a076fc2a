#include "model/interlaced_model.h"

#include <cstdlib>
#include <cstring>

#include "model/pixel_ops.h"

namespace pplcam::model {
namespace {

// Byte offsets of the luma and the chroma of word (pixel) i in a line.
int luma_at(YuvInput in, int i) { return 2 * i + (in == YuvInput::kYuyv ? 0 : 1); }
int chroma_at(YuvInput in, int i) { return 2 * i + (in == YuvInput::kYuyv ? 1 : 0); }

const uint8_t* line(const uint8_t* field, int width, int k) {
  return field + static_cast<long>(k) * 2 * width;
}

int chroma_difference(const IntlSetup& s, const IntlFields& f, int k, int j) {
  if (j < 0 || j >= s.in_width) return 0;
  const int at = chroma_at(s.input, j);
  return line(f.second, s.in_width, k)[at] - line(f.ref, s.in_width, k)[at];
}

// Deinterlaced frame line w into out (2 x width bytes, input order).
void woven_line(const IntlSetup& s, const IntlFields& f, int w, uint8_t* out) {
  const int width = s.in_width, k = w / 2;
  if (w % 2 == 0) {
    std::memcpy(out, line(f.first, width, k), 2 * width);
    return;
  }
  std::memcpy(out, line(f.second, width, k), 2 * width);
  for (int i = 0; i < width; ++i) {
    if (!model_word_moves(s, f, k, i)) continue;
    const int at = chroma_at(s.input, i);
    out[at] = static_cast<uint8_t>(avg_u8(line(f.first, width, k)[at], line(f.first, width, k + 1)[at]));
  }
}

// Luma of pixel x and U (component 0) or V (1) of pixel pair j on line
// `row` of a packed 4:2:2 picture `width` pixels wide.
int model_luma(YuvInput in, const uint8_t* p, int width, int row, int x) {
  return line(p, width, row)[luma_at(in, x)];
}
int model_chroma(YuvInput in, const uint8_t* p, int width, int row, int j, int component) {
  return line(p, width, row)[chroma_at(in, 2 * j + component)];
}

void put_pixel(YuvInput in, uint8_t* line_out, int x, int luma, int chroma) {
  line_out[luma_at(in, x)] = static_cast<uint8_t>(luma);
  line_out[chroma_at(in, x)] = static_cast<uint8_t>(chroma);
}

}  // namespace

bool model_word_moves(const IntlSetup& s, const IntlFields& f, int k, int i) {
  if (!s.motion || s.decimation > 0 || k + 1 >= s.in_height / 2) return false;
  const int d[3] = {chroma_difference(s, f, k, i - 1), chroma_difference(s, f, k, i),
                    chroma_difference(s, f, k, i + 1)};
  const int sum = d[0] + d[1] + d[2];
  const int spread = std::abs(3 * d[0] - sum) + std::abs(3 * d[1] - sum) + std::abs(3 * d[2] - sum);
  return spread > s.threshold;
}

std::vector<uint8_t> model_picture(const IntlSetup& s, const IntlFields& f, int* pw, int* ph) {
  const int width = s.in_width, field_lines = s.in_height / 2;
  const YuvInput in = s.input;
  std::vector<uint8_t> pic;
  switch (s.decimation) {
    case 0:
      *pw = width, *ph = 2 * field_lines;
      pic.resize(2L * *pw * *ph);
      for (int w = 0; w < *ph; ++w) woven_line(s, f, w, &pic[2L * *pw * w]);
      break;
    case -1: {
      *pw = 2 * width, *ph = 4 * field_lines;
      pic.resize(2L * *pw * *ph);
      std::vector<uint8_t> woven(2 * width);
      for (int y = 0; y < *ph; ++y) {
        woven_line(s, f, y / 2, woven.data());
        uint8_t* out = &pic[2L * *pw * y];
        for (int x = 0; x < *pw; ++x)
          put_pixel(in, out, x, model_luma(in, woven.data(), width, 0, x / 2),
                    model_chroma(in, woven.data(), width, 0, x / 4, x % 2));
      }
      break;
    }
    case 1:
    case 2: {
      // Lines of the first field, every `step`-th: luma the mean of two
      // pixels, chroma the mean of the samples of two pixel pairs.
      const int step = s.decimation;
      *pw = width / (2 * step), *ph = field_lines / step;
      pic.resize(2L * *pw * *ph);
      for (int y = 0; y < *ph; ++y)
        for (int m = 0; m < *pw; ++m) {
          const int row = step * y, n = m / 2, c = m % 2;
          const int y0 = step == 1 ? 2 * m : !s.sse2_sampling && c ? 4 * m + 2 : 4 * m;
          const int c1 = step == 1 ? 2 * n + 1 : 4 * n + (s.sse2_sampling ? 2 : 3);
          const int luma = avg_u8(model_luma(in, f.first, width, row, y0), model_luma(in, f.first, width, row, y0 + 1));
          const int chroma = avg_u8(model_chroma(in, f.first, width, row, 2 * step * n, c),
                                    model_chroma(in, f.first, width, row, c1, c));
          put_pixel(in, &pic[2L * *pw * y], m, luma, chroma);
        }
      break;
    }
  }
  return pic;
}

std::vector<uint8_t> model_interlaced(const IntlSetup& s, const IntlFields& f, IntlOut out) {
  int pw, ph;
  const std::vector<uint8_t> pic = model_picture(s, f, &pw, &ph);
  const int oh = ph + s.top + s.bottom;
  const long area = static_cast<long>(pw) * oh;
  std::vector<uint8_t> dst;
  switch (out) {
    case IntlOut::kYuyv:
    case IntlOut::kUyvy: {
      const YuvInput order = out == IntlOut::kYuyv ? YuvInput::kYuyv : YuvInput::kUyvy;
      dst.resize(2 * area);
      for (int r = 0; r < oh; ++r) {
        const int y = r - s.top;
        for (int x = 0; x < pw; ++x) {
          const bool black = y < 0 || y >= ph;
          put_pixel(order, &dst[2L * pw * r], x, black ? 16 : model_luma(s.input, pic.data(), pw, y, x),
                    black ? 128 : model_chroma(s.input, pic.data(), pw, y, x / 2, x % 2));
        }
      }
      break;
    }
    case IntlOut::kI420: {
      dst.resize(area + 2 * (area / 4));
      std::vector<uint8_t> i420(static_cast<size_t>(pw) * ph * 3 / 2);
      model_to_i420(s.input, pic.data(), {pw, ph, pw, ph, false, false}, i420.data());
      std::memset(dst.data(), 16, area);
      std::memset(dst.data() + area, 128, 2 * (area / 4));
      std::memcpy(dst.data() + static_cast<long>(pw) * s.top, i420.data(), static_cast<size_t>(pw) * ph);
      const long c_picture = static_cast<long>(pw / 2) * (ph / 2);
      const long c_at = static_cast<long>(pw / 2) * (s.top / 2);
      for (int plane = 0; plane < 2; ++plane)
        std::memcpy(dst.data() + area + plane * (area / 4) + c_at,
                    i420.data() + static_cast<long>(pw) * ph + plane * c_picture, c_picture);
      break;
    }
    case IntlOut::kRgb24: {
      dst.assign(3 * area, 0);
      std::vector<uint8_t> rgb(static_cast<size_t>(pw) * ph * 3);
      model_to_rgb24(s.input, pic.data(), {pw, ph, pw, ph, false, false}, rgb.data());
      // Picture line y is output line top + y, stored bottom-up.
      std::memcpy(dst.data() + 3L * pw * s.bottom, rgb.data(), rgb.size());
      break;
    }
  }
  return dst;
}

}  // namespace pplcam::model
