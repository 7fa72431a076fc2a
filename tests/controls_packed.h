// Reading the packed constants of both kernel paths in the control tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/context.h"

namespace pplcam::test {

template <int Bytes>
std::vector<int> lanes(const Packed16<Bytes>& p) {
  return std::vector<int>(p.lane, p.lane + Bytes / 2);
}
template <int Bytes>
std::vector<int> lanes(const Packed8<Bytes>& p) {
  return std::vector<int>(p.byte, p.byte + Bytes);
}

// `pattern` repeated over every lane of a register of `n` lanes.
inline std::vector<int> repeated(std::vector<int> pattern, int n) {
  std::vector<int> out;
  while (static_cast<int>(out.size()) < n) out.insert(out.end(), pattern.begin(), pattern.end());
  out.resize(n);
  return out;
}

// Expects the constant that `pick` selects from a path's constant block to
// hold `pattern` repeated, on the MMX and on the SSE2 path.
template <class Pick>
void expect_packed(const ppl_context* c, Pick pick, std::vector<int> pattern, const char* what) {
  const auto& m = pick(c->mmx);
  const auto& s = pick(c->sse2);
  EXPECT_EQ(lanes(m), repeated(pattern, static_cast<int>(lanes(m).size()))) << what << " (MMX path)";
  EXPECT_EQ(lanes(s), repeated(pattern, static_cast<int>(lanes(s).size()))) << what << " (SSE2 path)";
}

// Byte copies of both constant blocks, to show that a refused or skipped
// build left them alone.
struct ConstantsSnapshot {
  PathConstants<8> mmx;
  PathConstants<16> sse2;
  explicit ConstantsSnapshot(const ppl_context* c) : mmx(c->mmx), sse2(c->sse2) {}
  bool same_as(const ppl_context* c) const {
    return std::memcmp(&mmx, &c->mmx, sizeof mmx) == 0 && std::memcmp(&sse2, &c->sse2, sizeof sse2) == 0;
  }
};

}  // namespace pplcam::test
