// The lane tests' operations on Avx2, built with its row's instruction set.
#include "core/simd_avx2.h"
#include "support/simd_lane_ops.h"

namespace pplcam::test {
void shared_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out) { run_shared_op<Avx2>(op, a, b, out); }
bool wide_op_avx2(int op, const uint8_t* a, const uint8_t* b, uint8_t* out) { return run_wide_op<Avx2>(op, a, b, out); }
}  // namespace pplcam::test
