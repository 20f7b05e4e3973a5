// Handing the game position to the search and taking its result back.
#pragma once

#include "search/time_budget.h"

// The time budget of the engine's next move from the clock settings and
// the moves played so far.
TimeBudget BudgetForGame();

// Fills the search request (clock flag, time budget, depth limit), builds
// the root moves and searches; returns with search_record.result filled.
void StartSearch(bool timed);

// True while StartSearch runs: commands parsed meanwhile come from inside
// the search.
bool SearchIsRunning();

// Take-backs that arrived during a search, applied after it has stopped.
void DeferTakeBacks(int count);
int TakeDeferredTakeBacks();

// The expected reply arrived while pondering: the running search goes on
// under the clock for the engine's own move.
void PonderHit();
