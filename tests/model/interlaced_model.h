// Scalar model of the interlaced converters, written word by word from the
// formulas, independently of the kernels' walk. The conversion of the
// deinterlaced picture to I420 and RGB24 is the progressive model's.
#pragma once

#include <cstdint>
#include <vector>

#include "model/yuv_model.h"

namespace pplcam::model {

enum class IntlOut { kYuyv, kUyvy, kI420, kRgb24 };

struct IntlFields {
  const uint8_t* ref;
  const uint8_t* first;
  const uint8_t* second;
};

struct IntlSetup {
  YuvInput input;          // kYuyv or kUyvy
  int in_width, in_height;
  int decimation;          // -1 .. 2
  int top, bottom;         // black lines
  bool motion;             // motion-adaptive (else plain weave)
  int threshold;           // intl 3T threshold
  bool sse2_sampling;      // decimation 2 samples as the SSE2 path does
};

// Whether the chroma of word i of second-field line k is replaced.
bool model_word_moves(const IntlSetup& s, const IntlFields& f, int k, int i);

// The picture (without black lines) as packed 4:2:2 in the input's order;
// width and height are returned through the pointers.
std::vector<uint8_t> model_picture(const IntlSetup& s, const IntlFields& f, int* width, int* height);

// The whole destination of one conversion: black lines and picture.
std::vector<uint8_t> model_interlaced(const IntlSetup& s, const IntlFields& f, IntlOut out);

}  // namespace pplcam::model
