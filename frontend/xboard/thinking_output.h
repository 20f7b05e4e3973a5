// The thinking line: depth, score, time, nodes and principal variation.
#pragma once

#include <cstddef>

#include "board/position.h"
#include "search/search_record.h"

// The score as the thinking line shows it: mates shifted towards zero by
// 8192, other non-zero scores with a jitter of -15..+16 drawn from the
// random state.
int ShownScore(int score);

// The text of one thinking line (without its line end); shows at most six
// moves of the record's variation.
void FormatThinking(ThinkingRecord& record, char* line, size_t size);

// The same line with the score given as it is to be shown.
void FormatThinkingWithScore(ThinkingRecord& record, int shown_score, char* line, size_t size);

// Writes one thinking line from the record while "post" is on.
void PrintThinking(ThinkingRecord& record);

// The thinking line after the engine's move, with a short continuation
// from the position after it.
void PrintMoveThinking(Move move);

// The short search behind that continuation: fail-hard, on material alone,
// full width for `depth` plies and then captures. `pv` gets the line. Each
// call looks at a bounded number of positions; past them it judges by the
// material on the board, so the line costs the engine's clock next to nothing.
int ContinuationSearch(Position& pos, int depth, int alpha, int beta, Move* pv);
int CaptureSearch(Position& pos, int alpha, int beta, Move* pv);
