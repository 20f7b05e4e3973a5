// Piece terms of the Active evaluation: mobility, square tables, outposts,
// bishop pair, rook files and seventh rank, and the attack units each
// piece adds against the enemy king.
#pragma once

#include "board/position.h"
#include "eval/active/pawn_info.h"
#include "eval/material_info.h"

// White's view; adds the attack units against each king into units
// ([BLACK] = units against the Black king). Needs the king-danger stage's
// adjusted king squares and indices in mi.
int PieceTerms(const Position& pos, const MaterialInfo& mi, const PawnInfo& info, int (&units)[2]);
