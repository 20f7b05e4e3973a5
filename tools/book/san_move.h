// Reading a move in standard algebraic notation (Nf3, exd5, O-O, e8=Q+)
// by matching it against the position's legal move list.
#pragma once

#include <string>

#include "board/position.h"

// The one legal move of pos that `san` names, or 0 when it names none or
// more than one. Check, mate and annotation marks at the end are ignored;
// castling may be written with letter O or digit 0, a promotion with or
// without "=". Coordinate notation (e2e4, e7e8q) is accepted as well.
Move MoveFromSan(const Position& pos, const std::string& san);
