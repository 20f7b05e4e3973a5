// The complete legal move list with all four promotion kinds, used by the
// front end to read moves and to find the end of a game.
#pragma once

#include "board/position.h"

// Fills list (room for MAX_MOVES) with every legal move of pos and returns
// the count: the evasions in check, otherwise the legal captures and quiet
// moves in generation order; then, walking that list from its last move to
// its first, rook, bishop and knight promotions are appended for every
// queen promotion. A 0 word follows the last move.
int BuildLegalMoves(const Position& pos, Move* list);
