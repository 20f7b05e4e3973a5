// Data the personality accumulators of the position record are kept with.
// The board cannot see the evaluation, so the evaluation fills psq_pair at
// start-up; until then every pair is zero.
#pragma once

#include <cstdint>

// A middle-game and end-game value kept together so they cannot drift apart.
struct ScorePair {
  int16_t mid;
  int16_t end;
};

// The personality's piece-square pair per piece code and square (Passive
// and Inert builds; unused by Active).
extern ScorePair psq_pair[16][64];

// Passive phase weight per piece kind: knight 1, bishop 1, rook 2, queen 4.
inline constexpr int8_t PHASE_WEIGHT[8] = {0, 0, 1, 1, 2, 4, 0, 0};

// Inert material units per piece code: White positive, Black negative.
inline constexpr int32_t INERT_UNIT[16] = {
    0, -1, -3, -3, -5, -10, 0, 0,  // Black pawn .. king
    0, 1,  3,  3,  5,  10,  0, 0,  // White pawn .. king
};

// Inert material-index weight per piece code: a mixed-radix digit each.
inline constexpr uint32_t INERT_WEIGHT[16] = {
    0, 26244, 972, 108, 12, 2, 0, 0,  // Black pawn .. king
    0, 2916,  324, 36,  4,  1, 0, 0,  // White pawn .. king
};
