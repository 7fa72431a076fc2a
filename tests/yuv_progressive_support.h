// Shared pieces of the progressive converter tests: running a converter on
// a chosen kernel path, mirror settings and frame sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"

namespace pplcam::test {

enum class YuvPath {
  kSse2,        // 16-byte-aligned buffers on an SSE2 processor
  kMmxNoSse2,   // 16-byte-aligned buffers, SSE2 hidden from the library
  kMmxAlign8,   // buffers aligned to 8 but not to 16
};
constexpr YuvPath kAllYuvPaths[] = {YuvPath::kSse2, YuvPath::kMmxNoSse2, YuvPath::kMmxAlign8};
const char* path_name(YuvPath p);

using YuvConverter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                       int32_t, int32_t);

struct YuvSizes {
  int in_width, in_height, out_width, out_height;
  size_t packed422_bytes() const { return static_cast<size_t>(in_width) * in_height * 2; }
  size_t yyyy_bytes() const { return static_cast<size_t>(in_width) * in_height * 3 / 2; }
  size_t i420_bytes() const { return static_cast<size_t>(out_width) * out_height * 3 / 2; }
  size_t rgb24_bytes() const { return static_cast<size_t>(out_width) * out_height * 3; }
};
std::string size_name(const YuvSizes& s);

// Runs conv on path p: src and dst are copied into buffers of the path's
// alignment, dst holds the destination before the call and after it.
uint8_t run_on_path(YuvPath p, YuvConverter conv, ppl_context* ctx, const std::vector<uint8_t>& src,
                    std::vector<uint8_t>& dst, const YuvSizes& s);

// Sets both mirror flags and rebuilds the output steps.
void set_mirrors(ppl_context* ctx, bool h, bool v);

// "" when equal, else where and how the first differing byte differs.
std::string first_difference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want);

}  // namespace pplcam::test
