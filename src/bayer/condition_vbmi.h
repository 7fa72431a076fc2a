// Raw conditioning by byte permutes (AVX-512 VBMI), for the AVX-512 row's
// objects only: the conditioned byte of each raw value and colour, taken
// from the word tables of condition.h, is held in four 64-byte registers
// per colour (256 entries). Two vpermi2b (128 entries each) and a blend on
// the raw byte's top bit give 64 lookups of one colour; a row alternates
// two colours, so a row's 64 bytes take four permutes and two blends.
#pragma once

#include <cstdint>

#include "bayer/condition.h"
#include "core/context.h"
#include "core/simd_avx512.h"

namespace pplcam {

template <class W>
struct VbmiConditioner {
  using V = typename W::V;

  // The byte tables of the frame, from c->condition_words (filled first).
  void load(const ppl_context* c) {
    alignas(64) uint8_t bytes[256];
    for (int row = 0; row < 2; ++row) {
      for (int parity = 0; parity < 2; ++parity) {
        const uint32_t* words = c->condition_words[row][parity];
        for (int raw = 0; raw < 256; ++raw) bytes[raw] = static_cast<uint8_t>(words[raw] >> (8 * parity));
        for (int q = 0; q < 4; ++q) table[row][parity][q] = W::load(bytes + 64 * q);
      }
    }
  }

  // Conditions `n` bytes (a multiple of 16) of a blue-green row and the
  // green-red row below it; the last step of a row is masked to its lanes.
  PPL_MEMBER_INLINE void operator()(uint8_t* even_row, uint8_t* odd_row, int n) const {
    row(table[0], even_row, n);
    row(table[1], odd_row, n);
  }

 private:
  PPL_MEMBER_INLINE static V lookup(const V (&t)[4], V raw) {
    const V low = W::permutex2var8(t[0], raw, t[1]);
    const V high = W::permutex2var8(t[2], raw, t[3]);
    return W::mask_blend8(W::movepi8_mask(raw), low, high);
  }

  PPL_MEMBER_INLINE static void row(const V (&t)[2][4], uint8_t* p, int n) {
    constexpr typename W::Mask kOdd = 0xAAAAAAAAAAAAAAAAull;
    int i = 0;
    for (; i + W::kBytes <= n; i += W::kBytes) {
      const V raw = W::load(p + i);
      W::store(p + i, W::mask_blend8(kOdd, lookup(t[0], raw), lookup(t[1], raw)));
    }
    if (i < n) {
      const int lanes = (n - i) / 16;
      const V raw = W::load_lanes(p + i, lanes);
      W::store_lanes(p + i, W::mask_blend8(kOdd, lookup(t[0], raw), lookup(t[1], raw)), lanes);
    }
  }

  V table[2][2][4];   // [row type][column parity][64 entries each]
};

}  // namespace pplcam
