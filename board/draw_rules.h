// The draw rules the front end applies to the game position.
#pragma once

#include "board/position.h"

// The game position is drawn by the fifty-move rule or because it has
// stood three times before with the same side to move since the last
// capture, pawn move or null move. Checkmate and stalemate are not judged
// here, except that a mate on the hundredth half-move stands.
bool GameIsDrawn(const Position& pos);
