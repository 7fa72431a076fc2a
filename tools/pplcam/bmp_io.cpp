#include <vector>

#include "image_io.h"

namespace pplcam_tool {

namespace {

void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xff);
  b.push_back((v >> 8) & 0xff);
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v & 0xffff);
  put16(b, v >> 16);
}

}  // namespace

void write_bmp(OutputFile& out, const uint8_t* pixels, Size size, PixelFormat format) {
  const uint32_t bytes_pp = format == PixelFormat::kRgb32 ? 4 : 3;
  const uint32_t row = uint32_t(size.width) * bytes_pp;
  const uint32_t padded = (row + 3) & ~3u;  // BMP rows are 4-byte aligned
  const uint32_t image_bytes = padded * uint32_t(size.height);
  std::vector<uint8_t> h;
  h.push_back('B');
  h.push_back('M');
  put32(h, 54 + image_bytes);  // file size
  put32(h, 0);
  put32(h, 54);  // offset of the pixels
  put32(h, 40);  // BITMAPINFOHEADER
  put32(h, size.width);
  put32(h, size.height);  // positive: bottom-up rows, as the library writes them
  put16(h, 1);
  put16(h, bytes_pp * 8);
  put32(h, 0);  // BI_RGB
  put32(h, image_bytes);
  put32(h, 2835);  // 72 dpi
  put32(h, 2835);
  put32(h, 0);
  put32(h, 0);

  out.write(h.data(), h.size());
  const uint8_t zeros[4] = {0, 0, 0, 0};
  for (int y = 0; y < size.height; ++y) {
    out.write(pixels + size_t(y) * row, row);
    out.write(zeros, padded - row);
  }
}

}  // namespace pplcam_tool
