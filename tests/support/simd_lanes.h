// The wide register structs' operations, built with their rows' instruction
// sets (simd_lanes_avx2.cpp, simd_lanes_avx512.cpp): operation numbers of
// support/simd_lane_ops.h, bytes in and out.
#pragma once

#include <cstdint>

namespace pplcam::test {

void shared_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
bool wide_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
void shared_op_avx512(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);
bool wide_op_avx512(int op, const uint8_t* a, const uint8_t* b, uint8_t* out);

}  // namespace pplcam::test
