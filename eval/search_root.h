// Values the evaluation keeps per search: the root side to move and its
// castling rights, whether the opponent is a computer, and the king-danger
// tables weighted towards the root side. Written only between searches,
// read-only while the search threads run.
#pragma once

#include <cstdint>

#include "board/position.h"

struct EvalRoot {
  int side = WHITE;                   // side to move when the search started
  int castling = 0;                   // castling rights at that moment
  bool opponent_is_computer = false;  // set by the front end's "computer"
};
extern EvalRoot eval_root;

// King-danger tables by side ([BLACK], [WHITE]), index 0..63: the full base
// table for the root side, 60 per cent of it for the other side.
extern int DANGER[2][64];

// The base table both sides' tables are made from.
extern const int KING_DANGER_BASE[64];

// Rewrites DANGER for a search whose root side to move is root_side.
void BuildKingDangerTables(int root_side);

// A king-danger entry with the index held inside the table.
int Danger(int side, int index);
