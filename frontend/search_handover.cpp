#include "frontend/search_handover.h"

#include <cstring>

#include "board/legal_moves.h"
#include "eval/evaluate.h"
#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "search/search.h"
#include "search/search_record.h"

namespace {

bool search_running = false;
int deferred_take_backs = 0;
uint64_t search_start_nodes = 0;
uint32_t search_start_ms = 0;
uint32_t search_elapsed_ms = 0;  // kept when the search ends

// The root moves of the search running now.
Move root_moves[LEGAL_LIST_SIZE];

}  // namespace

TimeBudget BudgetForGame() {
  ClockSettings clock = {fixed_move_ms, own_clock_ms, moves_per_control, increment_s,
                         GameHalfMovesPlayed(), FlagIsSet(Ponder)};
  return ComputeTimeBudget(clock);
}

void RunSearch(const SearchOrder& order) {
  SearchRequest& request = search_record.request;
  request.target_ms = order.budget.target_ms;
  request.max_ms = order.budget.max_ms;
  request.depth_limit = order.depth_limit;
  request.timed = order.timed ? 1 : 0;
  request.multi_pv = order.multi_pv;
  request.node_limit = order.node_limit;
  search_record.line_count = 0;
  int root_count = order.root_count;
  if (order.root_moves != nullptr && root_count > 0) {
    memcpy(root_moves, order.root_moves, root_count * sizeof(Move));
  } else {
    root_count = BuildLegalMoves(game_position, root_moves);
  }
  request.root_moves_restricted = order.root_moves != nullptr && root_count > 0 ? 1 : 0;
  memset(&search_record.result, 0, sizeof search_record.result);
  SetOpponentIsComputer(FlagIsSet(OpponentIsComputer));
  search_start_nodes = game_position.nodes;
  search_start_ms = NowMs();
  SetProgressReporter(order.reporter);
  search_running = true;
  SetSearchInProgress(true);
  Think(game_position, root_moves, root_count);
  SetSearchInProgress(false);
  search_elapsed_ms = NowMs() - search_start_ms;
  search_running = false;
  SetProgressReporter(nullptr);
}

void StartSearch(bool timed) { RunSearch({timed, BudgetForGame(), depth_limit, nullptr}); }

bool SearchIsRunning() { return search_running; }

uint64_t SearchNodes() {
  // While it runs the search sums its threads' counts; the result keeps the
  // count the game record reached, every thread's work returned to it.
  if (search_running) return SearchedNodes();
  const uint64_t nodes = search_record.result.nodes;
  return nodes > search_start_nodes ? nodes - search_start_nodes : 0;
}

uint32_t SearchElapsedMs() { return search_running ? NowMs() - search_start_ms : search_elapsed_ms; }

void PutSearchOnClock(const TimeBudget& budget) {
  search_record.request.target_ms = budget.target_ms;
  search_record.request.max_ms = budget.max_ms;
  search_record.request.timed = 1;
}

void DeferTakeBacks(int count) { deferred_take_backs += count; }

int TakeDeferredTakeBacks() {
  int count = deferred_take_backs;
  deferred_take_backs = 0;
  return count;
}

void PonderHit() {
  memcpy(legal_moves, reply_moves, sizeof legal_moves);
  legal_count = reply_count;
  engine_state = EngineState::Thinking;
  PutSearchOnClock(BudgetForGame());
}
