// Reading the packed constants of both kernel paths in the control tests.
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

// The constant `pick` selects holds `pattern` repeated, on both paths.
template <class Pick>
void expect_packed(const ppl_context* c, Pick pick, const std::vector<int>& pattern, const std::string& what) {
  const auto m = lanes(pick(c->group8.constants)), s = lanes(pick(c->group16.constants));
  EXPECT_EQ(m, repeated(pattern, m.size())) << what << " (MMX path)";
  EXPECT_EQ(s, repeated(pattern, s.size())) << what << " (SSE2 path)";
}

#define PPL_PICK(field) [&](const auto& k) -> const auto& { return k.field; }

// Both constant blocks as they were, to show that a refused or skipped
// build left them alone.
struct ConstantsSnapshot {
  GroupConstants<8> mmx;
  GroupConstants<16> sse2;
  explicit ConstantsSnapshot(const ppl_context* c) : mmx(c->group8.constants), sse2(c->group16.constants) {}
  bool same_as(const ppl_context* c) const {
    return std::memcmp(&mmx, &c->group8.constants, sizeof mmx) == 0 && std::memcmp(&sse2, &c->group16.constants, sizeof sse2) == 0;
  }
};

}  // namespace pplcam::test
