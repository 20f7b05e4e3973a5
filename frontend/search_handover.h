// Handing the game position to the search and taking its result back.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "search/search_progress.h"
#include "search/time_budget.h"

// The time budget of the engine's next move from the clock settings and
// the moves played so far.
TimeBudget BudgetForGame();

// What a search is asked to do, whichever protocol asks for it.
struct SearchOrder {
  bool timed;                 // keep to the budget; else run until stopped
  TimeBudget budget;
  int32_t depth_limit;        // the deepest iteration is depth_limit - 1
  ProgressReporter reporter;  // null: nothing is reported while it runs
  int32_t multi_pv = 1;       // best root lines to search exactly and report
  const Move* root_moves = nullptr;  // the root moves to search; null: every legal move
  uint64_t node_limit = 0;           // stop after this many nodes; 0: no limit
  int root_count = 0;
};

// Builds the root moves of the game position and searches them; returns
// with search_record.result filled.
void RunSearch(const SearchOrder& order);

// The xboard search: clock flag, budget from the game's clock settings
// and the "sd" depth limit.
void StartSearch(bool timed);

// True while a search runs: commands parsed meanwhile come from inside
// the search.
bool SearchIsRunning();

// Nodes searched and milliseconds spent since the running (or the last)
// search began.
uint64_t SearchNodes();
uint32_t SearchElapsedMs();

// Puts the running search on the clock with a fresh budget; the time
// already spent counts as spent.
void PutSearchOnClock(const TimeBudget& budget);

// Take-backs that arrived during a search, applied after it has stopped.
void DeferTakeBacks(int count);
int TakeDeferredTakeBacks();

// The expected reply arrived while pondering: the running search goes on
// under the clock for the engine's own move.
void PonderHit();
