// Endgame recognizers: rules that lower a side's draw scale when its lone
// pawn cannot be forced through, and a table of small endings with a
// function each that tells a draw.
#pragma once

#include "board/position.h"
#include "eval/passive/material_table.h"

namespace passive {

// The one-pawn rules of the entry's small-ending markers; lowers
// scale[side] (in sixteenths) where they apply.
void ApplyPawnRules(const Position& pos, const MaterialEntry& entry, int scale[2]);

// The position's ending is in the recognizer table and its function
// reports a draw.
bool RecognizerTableDraw(const Position& pos);

// The square list of the pawn side turned so that it plays up the board
// on files a..d: its king, queens, rooks, bishops, knights and pawns,
// then the other side's king and pieces in the same order, ended by -1.
struct TurnedList {
  int squares[34];
  int count;
};
TurnedList TurnedSquares(const Position& pos, int pawn_side);

}  // namespace passive
