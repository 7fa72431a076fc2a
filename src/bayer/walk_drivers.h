// The Bayer frame walks of one path (walk.h), instantiated in
// walk_<path>.cpp.
#pragma once

#include <cstdint>

#include "bayer/driver.h"
#include "core/path_types.h"

namespace pplcam {

template <class P>
uint8_t bayer_walk_frame(BayerOutput out, ppl_context* c, uint8_t* src, uint8_t* dst);

// What a path's Bayer walks run on, named here without intrinsics: the
// register struct W of their middle groups (several column groups per
// register on the wide rows, whose P::S is the 16-byte struct of the
// borders and of a row's last groups) and the raw conditioner
// (condition.h).
template <class W>
struct WordConditioner;
template <class W>
struct VbmiConditioner;
struct Avx2;
struct Avx512;

template <class P>
struct BayerKernel {
  using W = typename P::S;
  using Conditioner = WordConditioner<W>;
};
template <>
struct BayerKernel<Avx2Path> {
  using W = Avx2;
  using Conditioner = WordConditioner<Avx2>;
};
template <>
struct BayerKernel<Avx512Path> {
#if defined(__i386__)
  // Eight vector registers: four groups per register spill past the 2 KB
  // frame the core keeps to, so the 32-bit build walks one group at a time.
  using W = Avx512Path::S;
  using Conditioner = WordConditioner<W>;
#else
  using W = Avx512;
  using Conditioner = VbmiConditioner<Avx512>;
#endif
};

}  // namespace pplcam
