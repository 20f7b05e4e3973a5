// The Inert pawn structure: doubled, isolated, backward, passed and
// candidate pawns and the king-shelter values of each wing, kept per pawn
// key in the shared InertPawnCache.
#pragma once

#include <cstdint>

#include "board/position.h"

namespace inert {

// King wings: files a-c, d-f and f-h.
inline constexpr int QUEEN_WING = 0;
inline constexpr int CENTRE_WING = 1;
inline constexpr int KING_WING = 2;

// What the cache keeps for one pawn structure. Arrays by side are
// [BLACK], [WHITE]; file sets have bit 0 = a-file.
struct InertPawnInfo {
  uint8_t passed_files[2];
  int16_t mid;            // structure score, White's view
  int16_t end;
  int16_t shelter[2][3];  // weakness of each wing for that side's king
};

// The wing a king on this square shelters behind.
inline int WingOfKing(int king_square) {
  const int file = king_square & 7;
  return file <= 2 ? QUEEN_WING : file <= 4 ? CENTRE_WING : KING_WING;
}

inline constexpr int INERT_PAWN_CACHE_BITS = 18;
inline constexpr uint32_t INERT_PAWN_CACHE_SIZE = 1u << INERT_PAWN_CACHE_BITS;

// The structure of the position's pawns computed afresh.
InertPawnInfo EvaluateInertPawns(const Position& pos);

// The structure from the cache, computed and stored on a miss.
InertPawnInfo ProbeInertPawns(const Position& pos);

// Zeroes the cache (new game).
void ClearInertPawnCache();

// Shelter tables, exposed for tests: own pawns (index: 2nd-rank pattern |
// 3rd-rank pattern << 3) and enemy pawns (3rd | 4th << 3), ranks counted
// from the sheltered king's side, bit i = i-th file of the wing.
extern const int16_t OWN_SHELTER[64];
extern const int16_t ENEMY_STORM[64];

}  // namespace inert
