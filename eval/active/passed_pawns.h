// Terms recomputed at every evaluation from the cached pawn record: passed
// pawns, the pawn race and the spread of passed pawns.
#pragma once

#include "board/position.h"
#include "eval/active/pawn_info.h"
#include "eval/material_info.h"

// King support, blockade and connected passers (White's view).
int PassedPawnTerms(const Position& pos, const MaterialInfo& mi, const PawnInfo& info);

// Pawn races against a side without pieces (White's view).
int PawnRace(const Position& pos, const MaterialInfo& mi, const PawnInfo& info);

// Passer distribution and king cut-off in pure pawn endings (White's view).
int PasserDistribution(const Position& pos, const MaterialInfo& mi, const PawnInfo& info);

// The rule of the square: the king on king_sq reaches the promotion square
// of side's pawn on pawn_sq in time, with side_to_move to move. A pawn on
// its second rank counts from its third.
bool KingCatchesPawn(int side, int pawn_sq, int king_sq, int side_to_move);

// Moves a pawn needs to promote: one less from its second rank, one more
// when its own king stands ahead of it on its file.
int MovesToPromote(int side, int pawn_sq, int own_king);
