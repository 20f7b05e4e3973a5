// Killer moves, history scores and history statistics: the per-thread
// memory that move ordering and history pruning learn from.
#pragma once

#include "board/position.h"
#include "search/search.h"

// A history counter that reaches this halves the whole table.
inline constexpr int HISTORY_LIMIT = 16384;
// history_ratio of a move with no statistics behind it (a full share).
inline constexpr int FULL_RATIO = 16384;

// Row of the history tables for a piece code: black pawn..king 0..5,
// white pawn..king 6..11.
inline int HistoryRow(int code) { return (code >> 3) * 6 + (code & 7) - 1; }

// The from-to part of a move word.
inline int FromTo(Move move) { return move & 4095; }

// A quiet move: empty target and no promotion or en-passant bits.
inline bool MoveIsQuiet(const Position& pos, Move move) {
  return move != 0 && pos.board[MoveTo(move)] == 0 && (move & 0xF000) == 0;
}

// The history score of a move by the piece on its origin.
inline int HistoryScore(const SearchThread& t, const Position& pos, Move move) {
  return t.history[HistoryRow(pos.board[MoveFrom(move)])][FromTo(move)];
}

// Cut-offs x 16384 / tries of the move's statistics pair.
int HistoryRatio(const SearchThread& t, const Position& pos, Move move);

// Clears killers and history, sets every statistics pair to (1, 1).
void ClearSearchData(SearchThread& t);

// A quiet best move becomes killer 0 of this ply and earns depth^2 history.
void UpdateKillersAndHistory(SearchThread& t, const Position& pos, Move move, int depth);

// The move cut off: both counters of its pair grow.
void RecordCutoff(SearchThread& t, const Position& pos, Move move);

// The move was searched before the one that cut off: its tries grow.
void RecordTry(SearchThread& t, const Position& pos, Move move);
