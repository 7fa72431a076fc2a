// The kernels' view of a path row (core/path_table.h): the register struct
// its kernels use and the column-group width of its behaviour. A
// kernel family is a template over one of these types, instantiated in one
// <family>_<path>.cpp file per path, and each family's table lists those
// instantiations in PathId order.
#pragma once

#include "core/path_table.h"

namespace pplcam {

// The register structs (core/simd.h), named here without their intrinsics
// so that the tables can name the paths in files built for the baseline.
struct Mmx;
struct Sse2;
template <int Row>
struct Sse2Row;

// The behaviour of the row's group width (kGroup and its consequences), and
// the register struct S of its instruction set.
template <PathId Id, class InstructionSet>
struct KernelPath : Behaviour<path_traits(Id).group_bytes> {
  static constexpr PathId kId = Id;
  using S = InstructionSet;
};

using MmxPath = KernelPath<PathId::kMmx, Mmx>;
using Sse2Path = KernelPath<PathId::kSse2, Sse2>;
// The wide rows run the 16-byte kernels (Sse2Row: the Sse2 operations
// under a type of the row's own), built with their own instruction sets,
// until their wide kernels over Avx2 and Avx512 (core/simd_avx2.h,
// core/simd_avx512.h) land; the row's register width says which.
using Avx2Path = KernelPath<PathId::kAvx2, Sse2Row<3>>;
using Avx512Path = KernelPath<PathId::kAvx512, Sse2Row<4>>;

// Every path type, for code written once for all of them (typed tests).
template <class... P>
struct PathList {};
using AllPaths = PathList<MmxPath, Sse2Path, Avx2Path, Avx512Path>;

// A per-path table: one entry per path, indexed by PathId (kNone's empty).
template <class Row>
struct PathTable {
  Row rows[kPathRows];
  constexpr const Row& operator[](PathId id) const { return rows[static_cast<int>(id)]; }
};

// The table of the rows given, one per path in PathId order from the MMX
// path on; a table that misses a row does not compile.
template <class Row, class... Rows>
constexpr PathTable<Row> path_table(Rows... rows) {
  static_assert(sizeof...(Rows) == kPathRows - 1, "one row per path, in PathId order");
  return PathTable<Row>{{Row{}, rows...}};
}

}  // namespace pplcam
