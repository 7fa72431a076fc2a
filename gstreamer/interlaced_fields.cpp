#include "interlaced_fields.h"

#include <cstring>

namespace pplcam_gst {

bool InterlacedFields::split(const uint8_t* frame, size_t line_bytes, int height) {
  const size_t field_bytes = line_bytes * size_t(height / 2);
  // A buffer that grows loses its bytes: the reference goes with it.
  uint8_t* reference_before = second_[current_ ^ 1].data();
  uint8_t* first = first_.reserve(field_bytes);
  uint8_t* second = second_[current_].reserve(field_bytes);
  if (!first || !second || !second_[current_ ^ 1].reserve(field_bytes)) return false;
  if (second_[current_ ^ 1].data() != reference_before) have_reference_ = false;
  for (int k = 0; k < height / 2; ++k) {
    std::memcpy(first + k * line_bytes, frame + (2 * k) * line_bytes, line_bytes);
    std::memcpy(second + k * line_bytes, frame + (2 * k + 1) * line_bytes, line_bytes);
  }
  return true;
}

}  // namespace pplcam_gst
