// Reading the packed constants of every column-group width in the control
// tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/context.h"

namespace pplcam::test {

template <int Bytes>
std::vector<int> lanes(const Packed16<Bytes>& p) {
  return std::vector<int>(std::begin(p.lane), std::end(p.lane));
}
template <int Bytes>
std::vector<int> lanes(const Packed8<Bytes>& p) {
  return std::vector<int>(std::begin(p.byte), std::end(p.byte));
}

// `pattern` repeated over `n` lanes.
inline std::vector<int> repeated(const std::vector<int>& pattern, size_t n) {
  std::vector<int> out;
  while (out.size() < n) out.insert(out.end(), pattern.begin(), pattern.end());
  out.resize(n);
  return out;
}

// The constant `pick` selects holds `pattern` repeated, in every width.
template <class Pick>
void expect_packed(const ppl_context* c, Pick pick, const std::vector<int>& pattern, const std::string& what) {
  for_each_group([&](auto tag) {
    const auto got = lanes(pick(group_constants<decltype(tag)::kGroup>(c)));
    EXPECT_EQ(got, repeated(pattern, got.size())) << what << " (" << decltype(tag)::kGroup << "-byte groups)";
  });
}

#define PPL_PICK(field) [&](const auto& k) -> const auto& { return k.field; }

// The bytes of every width's constant block, to show that a refused or
// skipped build left them alone.
inline std::vector<uint8_t> constants_bytes(const ppl_context* c) {
  std::vector<uint8_t> bytes;
  for_each_group([&](auto tag) {
    const auto& k = group_constants<decltype(tag)::kGroup>(c);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&k);
    bytes.insert(bytes.end(), p, p + sizeof k);
  });
  return bytes;
}

}  // namespace pplcam::test
