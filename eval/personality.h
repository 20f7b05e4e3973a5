// What each personality folder (active, passive, inert) provides to the
// common entry; exactly one of them is linked into a program.
#pragma once

#include "board/position.h"
#include "eval/eval_trace.h"

// The personality's whole evaluation, side to move's view, faded. With a
// trace it skips the cache probe and records every stage.
int EvaluatePersonality(const Position& pos, EvalTrace* trace);

// Clears the personality's own caches (new game).
void ClearPersonalityCaches();
