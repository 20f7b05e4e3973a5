// Endings without pawns: the term that drives the weaker king to the edge
// (or, with bishop and knight, to a corner of the bishop's colour) and the
// scaling of scores a side cannot convert.
#pragma once

#include "board/position.h"
#include "eval/material_info.h"

// White's view, centipawns; the position must have no pawns.
int PawnlessTerm(const Position& pos, const MaterialInfo& mi);

// Quarters a score for the side that cannot win (winnability flags).
int ScalePawnless(int score, int flags);

// Bishop-and-knight mating table, printed rank 8 first.
extern const int KBN[64];
// Edge table, printed rank 8 first.
extern const int EDGE[64];
