// Static exchange estimate of a capture or promotion.
#pragma once

#include <cstdint>

#include "board/position.h"

// Exchange values by piece code (both colours alike).
inline constexpr int EXCHANGE_VALUE[16] = {
    0, 100, 320, 320, 500, 1000, 10000, 0,
    0, 100, 320, 320, 500, 1000, 10000, 0,
};

// What a promotion gains by promotion kind (knight 2 .. queen 5).
inline constexpr int PROMOTION_GAIN[8] = {0, 0, 220, 220, 400, 900, 0, 0};

// The exchange on the move's destination from the mover's point of view.
// It stops as soon as the side that has just captured is still ahead
// (after an opponent's capture) or already behind (after the mover's), so
// it is a bound, not a full minimax; callers compare it with thresholds.
int32_t ExchangeValue(const Position& pos, Move move);
