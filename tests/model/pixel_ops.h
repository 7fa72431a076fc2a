// Scalar definitions of the pixel arithmetic every kernel is built from,
// for the scalar models of the tests.
#pragma once

#include <algorithm>
#include <cstdint>

namespace pplcam::model {

inline uint8_t sat_u8(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }
inline int8_t sat_s8(int v) { return static_cast<int8_t>(std::clamp(v, -128, 127)); }
inline int16_t sat_s16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
inline int16_t wrap16(int v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
// Average of two bytes, halves rounded up.
inline uint8_t avg_u8(int a, int b) { return static_cast<uint8_t>((a + b + 1) >> 1); }
// Signed 16 x 16 multiply, low half of the 32-bit product.
inline int16_t mullo16(int16_t a, int16_t b) { return wrap16(int32_t{a} * b); }

}  // namespace pplcam::model
