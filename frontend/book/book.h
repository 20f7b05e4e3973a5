// The opening book: the file "Quorvel.dat" in the current directory.
#pragma once

#include "board/position.h"

inline constexpr const char* BOOK_FILE_NAME = "Quorvel.dat";

// The book's move for the game position, or 0 when it has none. The choice
// is narrower against a computer (among the three heaviest moves at most)
// than against a person (seven). Only meaningful for a game played from
// the start position, which the caller keeps track of.
Move BookMoveForGame();
