// The Active pawn-structure evaluation computed on a pawn-cache miss:
// reachable squares, per-pawn terms, shelter weaknesses and the
// passer-distribution flags.
#pragma once

#include "board/position.h"
#include "eval/active/pawn_info.h"

// Fills every field of info except the key words; score is White's view.
void EvaluatePawnStructure(const Position& pos, PawnInfo& info);

// The per-wing shelter weaknesses of both sides (stonewall included).
void EvaluateShelter(const Position& pos, PawnInfo& info);

// The passer-distribution flags from the passed and candidate files.
uint8_t PasserDistributionFlags(const Position& pos, const PawnInfo& info);

// Squares the side's pawns can walk to without being stopped by a pawn or
// by more enemy pawn attacks than own pawn defences.
Bitboard ReachableSquares(int side, Bitboard own, Bitboard enemy);
