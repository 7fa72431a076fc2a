// The kernel paths: one row per instruction set the kernels are built for.
// Every per-path table of the library (the Bayer walks, the progressive and
// interlaced kernels) has one entry per row, indexed by PathId.
//
// A row names two things:
//  - the behaviour the path reproduces, its column-group width. The
//    pictures are the same on every path; the group width decides what else
//    a caller can see: the statistics (border columns left out of the
//    sampling, the sub-window grid (width / group) >> 3, cells per sample
//    and the histogram weight, the window normalisers), the I420 raw-mode
//    marker and the quarter-size interlaced sampling. Paths of one group
//    width give identical bytes and statistics, and share what a context
//    derives for that width (packed constants, geometry, walk scratch);
//  - the instruction set that computes it: register width, the processor
//    features it needs and the buffer alignment it needs, and whether it
//    uses the wide (YMM/ZMM) register state, which a kernel-mode caller's
//    floating-point save does not cover.
//
// The AVX2 and AVX-512 rows reproduce the 16-byte behaviour. Until their
// wide kernels land they run the 16-byte kernels (the Sse2 struct) built
// with their instruction sets (VEX/EVEX-encoded); their register width says
// what their kernels use today.
#pragma once

#include <cstdint>

#include "core/cpu_features.h"

namespace pplcam {

// The values are those of PPL_EXT_PATH_* (pplcam_ext.h).
enum class PathId : int32_t { kNone = 0, kMmx = 1, kSse2 = 2, kAvx2 = 3, kAvx512 = 4 };
constexpr int kPathRows = 5;   // kNone's row included
constexpr PathId kWidestPath = PathId::kAvx512;

struct PathTraits {
  const char* name;
  int32_t group_bytes;         // behaviour: column-group width
  int32_t register_bytes;      // instruction set: register width
  CpuFeatureSet cpu_features;  // features the processor must have
  int32_t alignment;           // every buffer of a call a multiple of this
  bool wide_state;             // uses the YMM/ZMM state
};

inline constexpr PathTraits kPathTraits[kPathRows] = {
    {"none", 0, 0, 0, 1, false},
    {"mmx", 8, 8, kCpuMmxPath, 8, false},
    {"sse2", 16, 16, kCpuSse2, 16, false},
    {"avx2", 16, 16, kCpuSse2 | kCpuAvx2, 16, true},
    {"avx512", 16, 16, kCpuSse2 | kCpuAvx2 | kCpuAvx512, 16, true},
};

constexpr const PathTraits& path_traits(PathId id) { return kPathTraits[static_cast<int>(id)]; }

// What a column-group width decides beyond the pictures: every deliberate
// difference between the behaviours, in one place.
template <int Group>
struct Behaviour {
  static constexpr int kGroup = Group;
  // Statistics: a sample is the odd cells of two groups, its mean a shift
  // of its sum; quality 0 leaves two groups per side out of its sampling
  // (quality 1 one, quality 2 none).
  static constexpr int kCellsPerSample = Group / 2;
  static constexpr int kSampleMeanShift = Group == 8 ? 2 : 3;
  static constexpr int kBorderColumns = 2 * Group;
  // Quarter-size interlaced lines: with 8-byte groups the odd output
  // pixels take the luma pair two pixels on, and chroma pair n averages
  // input pairs 4n and 4n + 3 (4n and 4n + 2 with 16-byte groups).
  static constexpr bool kQuarterLumaStaggered = Group == 8;
  static constexpr int kQuarterChromaPair = Group == 8 ? 3 : 2;
  static_assert(kCellsPerSample == 1 << kSampleMeanShift, "a sample's mean is a shift of its sum");
};

// Whether path `id` can run on this processor: the feature words (detected
// on first use) have every feature the path needs.
inline bool path_runs_here(PathId id) {
  const CpuFeatureSet need = path_traits(id).cpu_features;
  return (cpu_feature_set() & need) == need;
}

// Bit (1 << id) for every path this processor can run.
inline uint32_t available_paths() {
  uint32_t bits = 0;
  for (int id = static_cast<int>(PathId::kMmx); id < kPathRows; ++id)
    if (path_runs_here(static_cast<PathId>(id))) bits |= 1u << id;
  return bits;
}

// Whether path `id` can run a call on these buffers: every buffer aligned
// as the path needs (checked first, before any feature detection) and the
// processor has the path.
inline bool path_accepts(PathId id, const void* const* buffers, int count) {
  const uintptr_t mask = static_cast<uintptr_t>(path_traits(id).alignment) - 1;
  for (int i = 0; i < count; ++i)
    if ((reinterpret_cast<uintptr_t>(buffers[i]) & mask) != 0) return false;
  return path_runs_here(id);
}

}  // namespace pplcam
