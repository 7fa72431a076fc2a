// Shared pieces of the YUV converter tests: frame sizes, the fourteen
// interlaced converters with what they compute, field sets with still and
// moving regions, and runs of a converter on a chosen kernel path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/interlaced_model.h"
#include "pplcam/pplcam.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"
#include "support/same_bytes.h"

namespace pplcam::test {

struct YuvSizes {
  int in_width, in_height, out_width, out_height;
  size_t pixels_in() const { return static_cast<size_t>(in_width) * in_height; }
  size_t pixels_out() const { return static_cast<size_t>(out_width) * out_height; }
  std::string name() const;
  size_t dst_bytes(model::IntlOut out) const;
};

using YuvConverter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                       int32_t, int32_t);
// Runs conv on path p with src and dst copied into 16-byte-aligned
// buffers; dst holds the destination before the call and after it.
uint8_t run_on_path(PathId p, YuvConverter conv, ppl_context* ctx, const std::vector<uint8_t>& src,
                    std::vector<uint8_t>& dst, const YuvSizes& s);

using IntlConverter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, const uint8_t*,
                                        const uint8_t*, uint8_t*, int32_t, int32_t, int32_t,
                                        int32_t);
struct IntlCase {
  const char* name;
  IntlConverter convert;
  model::YuvInput input;
  model::IntlOut output;
  bool motion;
};
extern const IntlCase kIntlCases[14];

// Reference, first and second field.
struct FieldSet {
  std::vector<uint8_t> ref, first, second;
  model::IntlFields view() const { return {ref.data(), first.data(), second.data()}; }
};
// All three fields random.
FieldSet random_fields(const YuvSizes& s, uint32_t seed);
// Random first field and reference; the second field equals the reference
// in still regions, differs by a few levels in slow regions and is random
// in moving ones (rectangles of random size and place).
FieldSet moving_and_still_fields(const YuvSizes& s, uint32_t seed);

// run_on_path for an interlaced converter and its three fields.
uint8_t run_intl_on_path(PathId p, IntlConverter conv, ppl_context* ctx, const FieldSet& fields,
                         std::vector<uint8_t>& dst, const YuvSizes& s);

// The model's setup for case c with the context's current geometry and
// threshold, sampling a quarter-size picture as paths of `group_bytes` do.
model::IntlSetup model_setup(const IntlCase& c, ppl_context* ctx, int group_bytes);

}  // namespace pplcam::test
