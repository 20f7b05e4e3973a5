// The random numbers from which Polyglot books compute position keys.
#pragma once

#include <cstdint>

inline constexpr int POLYGLOT_RANDOM_COUNT = 781;
inline constexpr int POLYGLOT_CASTLE_OFFSET = 768;
inline constexpr int POLYGLOT_EN_PASSANT_OFFSET = 772;
inline constexpr int POLYGLOT_TURN_OFFSET = 780;

extern const uint64_t POLYGLOT_RANDOM[POLYGLOT_RANDOM_COUNT];
