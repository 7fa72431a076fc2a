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

// Conditions `n` bytes (n even) of one row pair: `even_row` is a blue-green
// row, `odd_row` the green-red row below it.
inline void condition_row_pair(const uint8_t (*table)[256], uint8_t* even_row, uint8_t* odd_row,
                               int n) {
  const uint8_t* tb = table[kCondB];
  const uint8_t* tgb = table[kCondGb];
  const uint8_t* tgr = table[kCondGr];
  const uint8_t* tr = table[kCondR];
  for (int i = 0; i < n; i += 2) {
    even_row[i] = tb[even_row[i]];
    even_row[i + 1] = tgb[even_row[i + 1]];
    odd_row[i] = tgr[odd_row[i]];
    odd_row[i + 1] = tr[odd_row[i + 1]];
  }
}

}  // namespace pplcam
