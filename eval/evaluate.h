// The evaluation entry: one signed score in centipawns from the side to
// move's view for any position, with the per-game and per-search set-up
// the front end and the search driver call.
#pragma once

#include "board/position.h"
#include "eval/eval_trace.h"

// The static score of the position, side to move's view, faded by the
// fifty-move counter. Safe to call from several search threads at once.
int Evaluate(const Position& pos);

// The same score, computed without the cache probe, with each stage's
// contribution recorded in trace.
int EvaluateWithTrace(const Position& pos, EvalTrace& trace);

// Starts loading the cache entries Evaluate will probe for the position.
void PrefetchEvaluation(const Position& pos);

// Starts loading the cache entry Evaluate will probe for a position that
// is not made yet, known by its key alone.
void PrefetchEvaluationByKey(uint64_t key);

// New game (new_game = true): clears the caches. Before each search
// (new_game = false): remembers the root side and castling rights and
// weights the king-danger tables towards the root side.
void PrepareEvaluation(bool new_game, int root_side, int root_castling);

// Empties the evaluation cache and the personality's caches.
void ClearEvalCaches();

// Built at start-up, after the attack tables and before any set-up: the
// personality's tables (Inert: piece-square pairs, material table) and
// empty caches.
void InitEvaluation();

// The front end reports whether the opponent declared itself a computer.
void SetOpponentIsComputer(bool computer);
