// Shared pieces of the interlaced converter tests: the fourteen converters
// with what they compute, field sets with still and moving regions, and a
// run of one converter on a chosen kernel path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/interlaced_model.h"
#include "pplcam/pplcam.h"
#include "support/kernel_path.h"

namespace pplcam::test {


// "" when equal, else where and how the first differing byte differs.
std::string describe_difference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want);

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

struct IntlSizes {
  int in_width, in_height, out_width, out_height;
  size_t field_bytes() const { return static_cast<size_t>(in_width) * in_height; }
  size_t dst_bytes(model::IntlOut out) const;
};
std::string size_name(const IntlSizes& s);

// Reference, first and second field.
struct FieldSet {
  std::vector<uint8_t> ref, first, second;
  model::IntlFields view() const { return {ref.data(), first.data(), second.data()}; }
};

// Random first field and reference; the second field equals the reference
// in still regions, differs by a few levels in slow regions and is random
// in moving ones (rectangles of random size and place).
FieldSet moving_and_still_fields(const IntlSizes& s, uint32_t seed);
// All three fields random.
FieldSet random_fields(const IntlSizes& s, uint32_t seed);

// Runs conv on path p with the fields and dst copied into 16-byte-aligned
// buffers; dst holds the destination before the call and after.
uint8_t run_intl_on_path(PathId p, IntlConverter conv, ppl_context* ctx, const FieldSet& fields,
                         std::vector<uint8_t>& dst, const IntlSizes& s);

// The model's setup for case c with the context's current geometry and
// threshold, sampling a quarter-size picture as paths of `group_bytes` do.
model::IntlSetup model_setup(const IntlCase& c, ppl_context* ctx, int group_bytes);

}  // namespace pplcam::test
