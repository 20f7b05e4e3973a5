#include "frontend/search_handover.h"

#include <cstring>

#include "board/legal_moves.h"
#include "eval/evaluate.h"
#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "search/search.h"
#include "search/search_record.h"
#include "search/time_budget.h"

namespace {

bool search_running = false;
int deferred_take_backs = 0;

// The root moves of the search running now.
Move root_moves[LEGAL_LIST_SIZE];

}  // namespace

TimeBudget BudgetForGame() {
  ClockSettings clock = {fixed_move_ms, own_clock_ms, moves_per_control, increment_s,
                         GameHalfMovesPlayed(), FlagIsSet(Ponder)};
  return ComputeTimeBudget(clock);
}

void StartSearch(bool timed) {
  SearchRequest& request = search_record.request;
  const TimeBudget budget = BudgetForGame();
  request.target_ms = budget.target_ms;
  request.max_ms = budget.max_ms;
  request.depth_limit = depth_limit;
  request.timed = timed ? 1 : 0;
  const int root_count = BuildLegalMoves(game_position, root_moves);
  memset(&search_record.result, 0, sizeof search_record.result);
  SetOpponentIsComputer(FlagIsSet(OpponentIsComputer));
  search_running = true;
  SetSearchInProgress(true);
  Think(game_position, root_moves, root_count);
  SetSearchInProgress(false);
  search_running = false;
}

bool SearchIsRunning() { return search_running; }

void DeferTakeBacks(int count) { deferred_take_backs += count; }

int TakeDeferredTakeBacks() {
  int count = deferred_take_backs;
  deferred_take_backs = 0;
  return count;
}

void PonderHit() {
  memcpy(legal_moves, reply_moves, sizeof legal_moves);
  legal_count = reply_count;
  const TimeBudget budget = BudgetForGame();
  search_record.request.target_ms = budget.target_ms;
  search_record.request.max_ms = budget.max_ms;
  engine_state = EngineState::Thinking;
  search_record.request.timed = 1;
}
