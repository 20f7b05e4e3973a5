// The Passive pawn structure: doubled, isolated, backward and candidate
// pawns and the files of the passed pawns, cached by the pawn key.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "eval/passive/score_pair.h"

namespace passive {

// What the pawns alone decide.
struct PawnStructure {
  Pair score;                // White's view
  uint8_t passed_files[2];  // [side]: bit f set when the side has a passed pawn on file f
};

inline constexpr int PASSIVE_PAWN_CACHE_BITS = 18;
inline constexpr uint32_t PASSIVE_PAWN_CACHE_SIZE = 1u << PASSIVE_PAWN_CACHE_BITS;

// Computes the structure afresh.
PawnStructure EvaluatePawns(const Position& pos);

// The structure from the cache, computed and stored on a miss.
PawnStructure ProbePawns(const Position& pos);

// Zeroes the cache (new game).
void ClearPassivePawnCache();

}  // namespace passive
