// The last framework stage before the side-to-move turn: opposite-coloured
// bishops pull the score towards a draw, and a side that cannot win is not
// given a score in its favour.
#pragma once

#include "board/position.h"
#include "eval/material_info.h"

// White's view in and out.
int ScaleOppositeBishops(const Position& pos, const MaterialInfo& mi, int score);

// Clears a score favouring the side that cannot win (flags other than 3).
int ClampToWinnability(int score, int flags);
