// Byte-for-byte comparison of an output with its reference that says where
// the first difference lies.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pplcam::test {

inline ::testing::AssertionResult same_bytes(const uint8_t* got, const uint8_t* want, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (got[i] != want[i])
      return ::testing::AssertionFailure() << "byte " << i << " of " << n << ": got " << int(got[i])
                                           << ", want " << int(want[i]);
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult same_bytes(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) {
  if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
  return same_bytes(got.data(), want.data(), got.size());
}

}  // namespace pplcam::test
