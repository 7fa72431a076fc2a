// A small RGB drawing surface for the tool's own pictures (the statistics
// picture, the demo's motion map): filled boxes, lines and text in a
// built-in 5x7 font (upper case, digits and common punctuation; lower case
// is drawn as upper case).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats.h"

namespace pplcam_tool {

struct Colour {
  uint8_t r, g, b;
};

class Canvas {
 public:
  Canvas(int width, int height, Colour background);
  int width() const { return width_; }
  int height() const { return height_; }
  // Top-down R, G, B rows, as write_png takes them.
  const uint8_t* rgb() const { return pixels_.data(); }
  Size size() const { return {width_, height_}; }

  void put(int x, int y, Colour c);   // clipped to the canvas
  Colour at(int x, int y) const;
  void fill(int x, int y, int w, int h, Colour c);
  void frame(int x, int y, int w, int h, Colour c);   // 1-pixel outline
  // Text with its top-left corner at (x, y), each font pixel `scale` x
  // `scale`; returns the x after the last character.
  int text(int x, int y, const std::string& s, Colour c, int scale = 1);
  static int text_width(const std::string& s, int scale = 1) { return int(s.size()) * 6 * scale; }

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
};

}  // namespace pplcam_tool
