// The opening book.
#pragma once

#include "board/position.h"

// The book's move for the game position, or 0 when it has none.
Move BookMoveForGame();
