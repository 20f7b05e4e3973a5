// What the engine writes to a UCI front end: explanations, the search's
// progress and its final move.
#pragma once

#include <cstddef>

#include "board/position.h"

// Room for a move in UCI notation: "e2e4", "e7e8q".
inline constexpr int UCI_MOVE_SIZE = 6;

// The move as UCI writes it; castling is the king's two-square move.
char* UciMoveText(Move move, char* text);

// The legal move in `legal` (count moves) that `text` names, or 0.
Move UciMoveFromText(const char* text, const Move* legal, int count);

// "cp N" or "mate N" (moves, negative when the engine is being mated).
void FormatUciScore(int score, char* text, size_t size);

// "info string TEXT", in one write.
void WriteInfoString(const char* text);

// Every line below is written whole, in one write.

// "info depth ... seldepth ... score ... time ... nodes ... nps ...
// hashfull ... pv ..." from the search result and the running search's
// time and node count ("multipv 1" after seldepth when several lines are
// searched).
void WriteSearchInfo();

// One such line per best root line of the last completed iteration, each
// with its "multipv N".
void WriteSearchLines();

// "info depth D currmove MOVE currmovenumber N" (N counts from 1).
void WriteCurrentMove(int depth, Move move, int number);

// "bestmove MOVE [ponder MOVE]"; "bestmove 0000" without a move.
void WriteBestMove(Move best, Move ponder);
