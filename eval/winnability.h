// Recognition of endings a side cannot win: the winnability flags and the
// bare-king stalemate test.
#pragma once

#include "board/position.h"
#include "eval/material_info.h"

// Bit 0: White can still win; bit 1: Black can still win.
inline constexpr int WHITE_CAN_WIN = 1;
inline constexpr int BLACK_CAN_WIN = 2;
inline constexpr int BOTH_CAN_WIN = 3;

// Which sides can still win, from the material and, in rook-pawn endings,
// the king and pawn placement. Meant for positions where both sides have
// at most 12 pawn units of pieces.
int WinnabilityFlags(const Position& pos, const MaterialInfo& mi);

// True when the side to move has a bare king on the edge, the other king
// stands in opposition to it and every flight square along the edge is
// attacked: the side to move is stalemated (or will be after any waiting
// move). A king in check is never reported.
bool BareKingStalemate(const Position& pos);
