// Draws of very little material that the search takes as settled
// (Passive builds only; the other builds neither define nor call it).
#pragma once

#include "board/position.h"

// True when the position is a known draw: at most a minor each without
// pawns, or a lone pawn (with or without its bishop) the bare king holds.
bool RecognizedDraw(const Position& pos);
