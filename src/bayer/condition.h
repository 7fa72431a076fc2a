// Raw conditioning: every photosite is replaced, in place in the source
// frame, by
//
//   T[ clamp0..255( int16( ((raw * g) >> 5) + d ) ) ]
//
// with g and d the gain and offset words of its colour and T the RGB gamma
// table. The result depends only on the raw byte and the colour, so the
// walk folds the formula into one 256-byte table per colour at the start of
// a frame and conditions each byte with a single lookup.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/context.h"

namespace pplcam {

// Table order: the two colours of a blue-green row, then of a green-red row.
enum ConditionColour : int { kCondB = 0, kCondGb = 1, kCondGr = 2, kCondR = 3 };

// Fills walk.condition_table from the path's packed gain and delta words
// (lane 0 for even columns, lane 1 for odd columns of each row type) and
// c->rgb_gamma.
template <int Bytes>
void build_condition_tables(const ppl_context* c, const PathConstants<Bytes>& k,
                            PathWalkState<Bytes>* walk) {
  for (int row = 0; row < 2; ++row) {
    for (int parity = 0; parity < 2; ++parity) {
      const uint32_t gain = static_cast<uint16_t>(k.gain[row].lane[parity]);
      const int16_t delta = k.delta[row].lane[parity];
      uint8_t* t = walk->condition_table[2 * row + parity];
      for (uint32_t raw = 0; raw < 256; ++raw) {
        // The product stays within 16 bits (both factors are at most 255).
        const uint32_t scaled = ((raw * gain) & 0xFFFFu) >> 5;
        const int16_t sum = static_cast<int16_t>(static_cast<uint16_t>(scaled + static_cast<uint16_t>(delta)));
        const int clamped = sum < 0 ? 0 : sum > 255 ? 255 : sum;
        t[raw] = c->rgb_gamma[clamped];
      }
    }
  }
}

// Four bytes of a row through the tables of its colours: `raw` holds them
// as a little-endian word (column 0 in the low byte), the even columns go
// through `even`, the odd ones through `odd`.
inline uint32_t condition_word(const uint8_t* even, const uint8_t* odd, uint32_t raw) {
  return uint32_t{even[raw & 0xFF]} | uint32_t{odd[(raw >> 8) & 0xFF]} << 8 |
         uint32_t{even[(raw >> 16) & 0xFF]} << 16 | uint32_t{odd[raw >> 24]} << 24;
}

// Conditions `n` bytes (n a multiple of 8) of one row pair: `even_row` is
// a blue-green row, `odd_row` the green-red row below it. Each step reads
// 8 bytes of each row as words before it writes any, so the table lookups
// do not wait on the stores (the compiler cannot tell the rows from the
// tables), and writes them back as two words.
inline void condition_row_pair(const uint8_t (*table)[256], uint8_t* even_row, uint8_t* odd_row,
                               int n) {
  const uint8_t* tb = table[kCondB];
  const uint8_t* tgb = table[kCondGb];
  const uint8_t* tgr = table[kCondGr];
  const uint8_t* tr = table[kCondR];
  for (int i = 0; i < n; i += 8) {
    uint32_t w[4];
    std::memcpy(w, even_row + i, 8);
    std::memcpy(w + 2, odd_row + i, 8);
    w[0] = condition_word(tb, tgb, w[0]);
    w[1] = condition_word(tb, tgb, w[1]);
    w[2] = condition_word(tgr, tr, w[2]);
    w[3] = condition_word(tgr, tr, w[3]);
    std::memcpy(even_row + i, w, 8);
    std::memcpy(odd_row + i, w + 2, 8);
  }
}

}  // namespace pplcam
