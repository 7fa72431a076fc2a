// Raw conditioning: every photosite is replaced, in place in the source
// frame, by
//
//   T[ clamp0..255( int16( ((raw * g) >> 5) + d ) ) ]
//
// with g and d the gain and offset words of its colour and T the RGB gamma
// table. The result depends only on the raw byte and the colour, so the
// walk folds the formula into tables at the start of a frame and
// conditions each byte with a single lookup.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/context.h"

namespace pplcam {

// Fills c->condition_words from the path's packed gain and delta words
// (lane 0 for even columns, lane 1 for odd columns of each row type) and
// c->rgb_gamma: entry [row][position][raw] is the conditioned byte of a
// photosite of row type `row` (0 blue-green, 1 green-red) at byte position
// `position` of a little-endian word, shifted left by 8 x position.
// Internal to each file, like condition_row_pair below: every path's
// objects keep their own copy.
template <int Bytes>
static void build_condition_tables(ppl_context* c, const GroupConstants<Bytes>& k) {
  for (int row = 0; row < 2; ++row) {
    for (int parity = 0; parity < 2; ++parity) {
      const uint32_t gain = static_cast<uint16_t>(k.gain[row].lane[parity]);
      const int16_t delta = k.delta[row].lane[parity];
      uint32_t* low = c->condition_words[row][parity];
      uint32_t* high = c->condition_words[row][parity + 2];
      for (uint32_t raw = 0; raw < 256; ++raw) {
        // The product stays within 16 bits (both factors are at most 255).
        const uint32_t scaled = ((raw * gain) & 0xFFFFu) >> 5;
        const int16_t sum = static_cast<int16_t>(static_cast<uint16_t>(scaled + static_cast<uint16_t>(delta)));
        const int clamped = sum < 0 ? 0 : sum > 255 ? 255 : sum;
        const uint32_t value = c->rgb_gamma[clamped];
        low[raw] = value << (8 * parity);
        high[raw] = value << (8 * (parity + 2));
      }
    }
  }
}

// Four bytes of a row through the tables of its row type: `raw` holds them
// as a little-endian word (column 0 in the low byte).
static inline uint32_t condition_word(const uint32_t (*t)[256], uint32_t raw) {
  return t[0][raw & 0xFF] | t[1][(raw >> 8) & 0xFF] | t[2][(raw >> 16) & 0xFF] | t[3][raw >> 24];
}

// Conditions `n` bytes (n a multiple of 8) of one row pair: `even_row` is
// a blue-green row, `odd_row` the green-red row below it. Each row is one
// tight loop over 8 bytes a step, read as words before any is written, so
// the lookups do not wait on the stores (the compiler cannot tell the rows
// from the tables), and written back as words. Internal to each file that
// uses it: a kernel path's objects keep their own copy, built with their
// instruction set.
static inline void condition_row_pair(const uint32_t (*words)[4][256], uint8_t* even_row, uint8_t* odd_row, int n) {
  for (int row = 0; row < 2; ++row) {
    uint8_t* p = row == 0 ? even_row : odd_row;
    const uint32_t(*t)[256] = words[row];
    for (int i = 0; i < n; i += 8) {
      uint32_t w[2];
      std::memcpy(w, p + i, 8);
      w[0] = condition_word(t, w[0]);
      w[1] = condition_word(t, w[1]);
      std::memcpy(p + i, w, 8);
    }
  }
}

// The conditioner of the paths without a byte lookup instruction: the
// word tables above, filled by load(). Called as (even_row, odd_row, n).
// A template over the path's register struct W so that each path's
// objects keep their own copy.
template <class W>
struct WordConditioner {
  void load(const ppl_context* c) { words = c->condition_words; }
  void operator()(uint8_t* even_row, uint8_t* odd_row, int n) const { condition_row_pair(words, even_row, odd_row, n); }
  const uint32_t (*words)[4][256] = nullptr;
};

}  // namespace pplcam
