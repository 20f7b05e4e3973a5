// Moves as the protocol writes them: e2e4, e7e8q, and the castling forms.
#pragma once

#include "board/position.h"

// Origin, destination and the upper-case promotion letter (0 for none).
struct DecodedMove {
  int from;
  int to;
  char letter;
};

DecodedMove DecodeMove(Move move);

// Six characters and a zero: "e2e4  ", or "a7a8=n" for a promotion.
inline constexpr int MOVE_TEXT_SIZE = 7;
char* MoveToText(Move move, char* text);

// The legal move of the game position that `input` names, or 0. Prints
// "Illegal move: <input>\n" when the text is shaped like a move but names
// no legal move; text of any other shape is no move and prints nothing.
Move ParseMove(const char* input);
