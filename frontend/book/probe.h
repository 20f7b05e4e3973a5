// Walking a book file along the game's moves and choosing a weighted move.
#pragma once

#include <cstdint>

// The game's moves as book keys: at most this many are walked.
inline constexpr int BOOK_MAX_GAME_PLIES = 128;

// Walks the book file at `path` along keys[0 .. ply_count - 1] from its
// root list and chooses among the entries found there: only the
// min(pick_count, candidates - 1) heaviest can be chosen, in proportion to
// their weights, with one draw of random_state. The first probe of the
// process seeds random_state from the clock and the thread. Returns the
// chosen book key, or 0: no file, a move the book does not hold, a list
// without children or positive weights, or a file that is malformed in any
// way (nothing is read beyond one list).
uint16_t BookProbe(const char* path, const uint16_t* keys, int ply_count, int pick_count);
