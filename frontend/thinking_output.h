// The thinking line: depth, score, time, nodes and principal variation.
#pragma once

#include "board/position.h"
#include "search/search_record.h"

// Writes one thinking line from the record while "post" is on.
void PrintThinking(ThinkingRecord& record);

// The thinking line after the engine's move, with a short continuation
// from the position after it.
void PrintMoveThinking(Move move);
