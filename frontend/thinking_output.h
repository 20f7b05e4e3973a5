// The thinking line: depth, score, time, nodes and principal variation.
#pragma once

#include "board/position.h"
#include "search/search_record.h"

// Writes one thinking line from the record while "post" is on.
void PrintThinking(ThinkingRecord& record);

// The thinking line after the engine's move, with a short continuation
// from the position after it.
void PrintMoveThinking(Move move);

// The short search behind that continuation: fail-hard, on material alone,
// full width for `depth` plies and then captures. `pv` gets the line.
int ContinuationSearch(Position& pos, int depth, int alpha, int beta, Move* pv);
int CaptureSearch(Position& pos, int alpha, int beta, Move* pv);
