// The byte shuffle that turns B, G, R pixels into R, G, B: one pshufb per
// five pixels. This file alone is built with SSSE3; buffers.cpp calls it
// after checking the processor.
#include <tmmintrin.h>

#include "buffers.h"

namespace pplcam_python {

py::ssize_t swap_red_blue_ssse3(const uint8_t* src, uint8_t* dst, py::ssize_t row_bytes) {
  // Bytes 0..14 are five pixels; byte 15 (the next pixel's first byte) is
  // stored too and overwritten by the next step.
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  py::ssize_t i = 0;
  for (; i + 16 <= row_bytes; i += 15) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_shuffle_epi8(v, order));
  }
  return i;
}

}  // namespace pplcam_python
