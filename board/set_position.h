// Setting a position up from Forsyth-Edwards text.
#pragma once

#include "board/position.h"

// The start position.
inline constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// Clears the whole record (search fields and key history included) and
// fills it from text, leniently: unknown characters are skipped and missing
// fields take defaults; the clocks in the text are not read. Squares past
// the eighth of a rank are dropped. Castling rights whose king and rook are
// not on their home squares, and an en-passant square that no double push
// could have left, are dropped so that no generated move can misbehave.
// Returns the in_check flag of the new position.
bool SetPosition(Position& pos, const char* text);

// The position can be played: one king per side, the side not to move not
// in check, at most two pieces giving check, no pawn on the first or last
// rank, and no count beyond what the material signature holds (15 pawns, 7
// pieces of a kind per side).
bool PositionIsPlayable(const Position& pos);
