// Think: iterative deepening over the root moves on the game position,
// which it gives back exactly as it found it.
#include <csetjmp>
#include <cstring>

#include "board/movegen.h"
#include "eval/evaluate.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/clock_rules.h"
#include "search/history.h"
#include "search/move_picker.h"
#include "search/parallel_search.h"
#include "search/root_search.h"
#include "search/search.h"
#include "search/search_control.h"
#include "search/search_progress.h"
#include "search/transposition.h"

SearchThread main_search;

namespace {

// With a single root move a short look suffices for the score and reply.
constexpr int SINGLE_MOVE_DEPTH = 4;
// An easy move stands this far above the second best after depth 1.
constexpr int EASY_MOVE_MARGIN = 150;

// The game position as Think found it. Static: a whole record with its
// key history is too large to copy onto the stack at every search.
Position saved_game;

// Step 8. Root order: ascending move words (en-passant captures first),
// then by the table's move, captures, killers and history.
void OrderRootMoves(const SearchThread& t, const Position& pos) {
  for (int i = 0; i < root.count; ++i)
    root.scores[i] = static_cast<int16_t>(-static_cast<int16_t>(root.moves[i]));
  SortMoves(root.moves, root.scores, root.count);
  TTData entry;
  const Move hash_move = ProbeHash(pos.key, &entry) ? entry.move : 0;
  OrderEvasions(t, pos, root.moves, root.scores, root.count, hash_move);
}

// Step 10e. After depth 1: a recapture, or a move far ahead of the rest.
void TestEasyMove(const Position& pos) {
  if (root.count == 0) return;
  if (MoveTo(root.moves[0]) == pos.state.capture_square ||
      (root.count >= 2 && root.scores[0] >= root.scores[1] + EASY_MOVE_MARGIN))
    SetFlags(EASY_MOVE);
}

// Step 10. Iterations 1 .. max_depth - 1 until the depth, the clock or
// input ends them. Left by the abort jump from any depth.
void Iterate(SearchThread& t, int max_depth, bool root_single_reply) {
  for (int depth = 1; depth < max_depth; ++depth) {
    ClearFlags(SCORE_DROPPED | RESEARCHED);
    RootSearch(t, depth, root_single_reply);
    if (StateSet(ABORT)) return;
    SetState(ITERATION_DONE);
    if (depth == 1) TestEasyMove(*t.pos);
    if (depth >= 2) {
      if (FlagSet(SCORE_DROPPED))
        SetFlags(DROPPED_BEFORE);
      else
        ClearFlags(DROPPED_BEFORE);
    }
    root.last_iteration_score = root.best_score;
    ReportProgress(ProgressEvent::IterationDone);
    if (PollInputOnce()) {
      SetFlags(INPUT_STOP);
      return;
    }
    CheckClockAfterIteration();
    if (StateSet(ITERATION_DONE) && FlagSet(TIME_UP)) return;
  }
}

}  // namespace

int SelectiveDepth() { return main_search.sel_ply; }

uint64_t SearchedNodes() {
  if constexpr (BUILD_MP) return ParallelNodeCount() - root.start_nodes;
  return main_search.pos->nodes - root.start_nodes;
}

void ClearSearchMemory() { ClearSearchData(main_search); }

void ResetLastIterationScore() { root.best_score = 0; }

void Think(Position& game, const Move* root_moves, int root_count) {
  SearchThread& t = main_search;
  t.pos = &game;
  t.index = 0;
  t.sel_ply = 0;
  // Step 1. Keep the game position to give it back whatever happens
  std::memcpy(&saved_game, &game, sizeof game);
  // Step 2. A fresh search
  ClearState(ITERATION_DONE);
  ClearFlags(ALL_SEARCH_FLAGS);
  root.best_move = 0;
  root.best_depth = 0;
  root.best_pv[0] = 0;
  root.root_index = 0;
  root.last_iteration_score = 0;
  root.search_start = platform::TickCountMs();
  root.start_nodes = game.nodes;
  t.shown_nodes.store(game.nodes, std::memory_order_relaxed);
  // Step 3. The evaluation's per-search preparation
  if constexpr (BUILD_ACTIVE) PrepareEvaluation(false, game.side, game.state.castling);
  // Step 4. Depth limit; a single root move needs only a short look
  int max_depth = search_record.request.depth_limit;
  bool root_single_reply = false;
  // A single move chosen by the front end is no forced move: it is
  // searched like any other.
  if (root_count < 2 && !search_record.request.root_moves_restricted) {
    if (max_depth > SINGLE_MOVE_DEPTH) max_depth = SINGLE_MOVE_DEPTH;
    root_single_reply = game.state.in_check != 0;
  }
  if (root_count > MAX_MOVES - 1) root_count = MAX_MOVES - 1;
  // Step 7. Root list, search age, distance from the root
  root.count = root_count;
  for (int i = 0; i < root_count; ++i) root.moves[i] = root_moves[i];
  root.moves[root_count] = 0;
  NewSearchAge();
  game.ply = 0;
  // Step 8. Initial order
  OrderRootMoves(t, game);
  // Step 9. No abort pending
  ClearState(ABORT);
  // Step 5. MP builds: the workers wake up
  if constexpr (BUILD_MP) StartParallelSearch(t);
  // Step 6. The abort jump point; an abort lands here with a nonzero value
  if (setjmp(t.abort_jump) == 0) {
    // Step 10. Iterative deepening
    Iterate(t, max_depth, root_single_reply);
  }
  // Step 12. MP builds: every helper back and idle, then parked
  if constexpr (BUILD_MP) EndParallelSearch();
  // Step 13. The result, then the game position as it was
  RecordResult(game);
  std::memcpy(&game, &saved_game, sizeof game);
  // Never leave the caller without a move while one exists: when no
  // iteration recorded one (a depth limit of 1, or an early stop), the
  // first move of the ordered root list stands in.
  if (search_record.result.result_move == 0 && root.count > 0) {
    search_record.result.result_move = root.moves[0];
    search_record.result.pv[0] = root.moves[0];
    search_record.result.pv[1] = 0;
  }
}
