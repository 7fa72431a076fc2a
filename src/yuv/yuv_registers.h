// The register structs a path's YUV kernels run on: W for the body of a
// line, T (16-byte registers, or the path's own when narrower) for what is
// left at its end.
//
// The MMX and SSE2 paths run their own struct throughout (W and T are the
// same and the end-of-line code compiles away). The wide rows run their
// wide struct with the lane reorderings (core/simd_avx2_lanes.h and
// core/simd_avx512_lanes.h, included by their files only) and finish a
// line whose width leaves less than a wide step with the Sse2 operations
// under the row's own type (Sse2Row), built with the row's instruction set.
#pragma once

#include "core/path_types.h"

namespace pplcam {

struct Avx2Lanes;
struct Avx512Lanes;

namespace yuv {

template <class P>
struct Registers {
  using W = typename P::S;
  using T = typename P::S;
};
template <>
struct Registers<Avx2Path> {
  using W = Avx2Lanes;
  using T = Sse2Row<static_cast<int>(PathId::kAvx2)>;
};
template <>
struct Registers<Avx512Path> {
  using W = Avx512Lanes;
  using T = Sse2Row<static_cast<int>(PathId::kAvx512)>;
};

}  // namespace yuv
}  // namespace pplcam
