#include "search/alpha_beta.h"

#include <csetjmp>

#include "board/exchange.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/recognized_draw.h"
#include "search/history.h"
#include "search/move_picker.h"
#include "search/quiesce.h"
#include "search/search_control.h"
#include "search/split_point.h"
#include "search/transposition.h"

namespace {

constexpr int RAZOR_MARGIN = 300;
constexpr int NULL_REDUCTION = 4;
constexpr int VERIFY_MIN_DEPTH = 6;
constexpr int VERIFY_REDUCTION = 5;
constexpr int CHECK_EXCHANGE_FLOOR = -100;  // a check losing more is not extended
constexpr int HISTORY_PRUNE_DEPTH = 6;
constexpr int HISTORY_PRUNE_BASE = 11469;   // 70 % of a full ratio
constexpr int FUTILITY_DEPTH = 3;
constexpr int FUTILITY_UNSET = MATE;
constexpr int LMR_MIN_DEPTH = 3;
constexpr int LMR_MIN_SEARCHED = 3;

// The margin futility adds to the static evaluation at depths 1 to 3.
int FutilityMargin(int depth) { return depth == 1 ? 100 : (depth + 4) * 50; }

// A check that does not simply give material away keeps the full depth.
bool SoundCheck(const Position& pos, Move move) {
  return ExchangeValue(pos, move) >= CHECK_EXCHANGE_FLOOR;
}

// While one move is searched, the memory the next listed move's child
// will probe arrives: its bucket and evaluation entry, or at depth 1,
// where the child is mostly a quiescence node, the evaluation entry alone.
void PrefetchNextChild(const MovePicker& picker, const Position& pos, int depth) {
  const Move next = PeekNextMove(picker);
  if (next == 0) return;
  const uint64_t key = KeyAfterMove(pos, next);
  if (depth >= 2)
    PrefetchHashEntries(key);
  else
    PrefetchEvaluationByKey(key);
}

// Step 13. A cut-off: learning, a lower-bound store, the score.
int FinishCutoff(SearchThread& t, uint64_t key, Move move, int depth, int best,
                 const Move* searched, int searched_count) {
  if (move != 0) LearnCutoff(t, move, depth, searched, searched_count - 1);
  StoreHash(key, move, depth, BOUND_LOWER, ToTableScore(best, t.pos->ply));
  return best;
}

// Step 11e. A null move fail-high at depth 6 or more is believed only if
// a plain search of the node at depth - 5 also fails high. Returns the
// best score (below beta: no cut-off) and its move in *move.
int VerifyNullMove(SearchThread& t, UndoRecord& undo, int beta, int depth, Move hash_move,
                   Move* pv, Move* cut_move) {
  Position& pos = *t.pos;
  MovePicker picker;
  InitPicker(picker, t, pos, hash_move);
  Move child_pv[PV_SIZE];
  int best = NO_SCORE;
  *cut_move = 0;
  for (Move move; (move = NextMove(picker)) != 0;) {
    const bool check = MoveGivesCheck(pos, move);
    const int d = check && SoundCheck(pos, move) ? depth - VERIFY_REDUCTION
                                                 : depth - VERIFY_REDUCTION - 1;
    MakeMove(pos, undo, move, check ? 1 : 0);
    const int v = -SearchZW(t, 1 - beta, d, child_pv);
    UnmakeMove(pos, undo, move);
    if (v > best) {
      best = v;
      *cut_move = move;
      ExtendPV(pv, move, child_pv);
      if (v >= beta) break;
    }
  }
  return best == NO_SCORE ? 0 : best;
}

}  // namespace

int SearchZW(SearchThread& t, int beta, int depth, Move* pv) {
  Position& pos = *t.pos;
  const bool in_check = pos.state.in_check != 0;
  // Step 1. Empty variation
  pv[0] = 0;
  // Step 2. End of the ply arrays and of the key history
  if (AtSearchHorizon(pos)) return Evaluate(pos);
  // Step 3. Quiescence at the horizon: quiet checks in its first ply only
  if (depth < 1) {
    t.qcheck_limit = 0;
    return QuiesceNode(t, beta - 1, beta, 0, pv);
  }
  // Step 4. Input and clock, every 50 ms, on the main thread; the node
  // limit at every node, so that it holds within a few quiescence nodes
  if (t.index == 0) {
    if (PollDue()) {
      CheckTimeAndInput(t);
    } else if (NodeLimitReached()) {
      SetState(ABORT);
      CheckTimeAndInput(t);
    }
  }
  // Step 4b. MP builds: the record's count, for the total over all threads
  if constexpr (BUILD_MP) t.shown_nodes.store(pos.nodes, std::memory_order_relaxed);
  // Step 5. MP builds: a pool record stops on its stop mark or an abort
  if constexpr (BUILD_MP) {
    if (t.record != 0 && (t.split->stopped.load(std::memory_order_relaxed) != 0 || StateSet(ABORT)))
      std::longjmp(t.abort_jump, 1);
  }
  // Step 6. Draw by rule
  if (DrawByRule(pos)) return 0;
  // Step 6b. Recognized draws of very little material (Passive builds)
  if constexpr (BUILD_PASSIVE)
    if (RecognizedDraw(pos)) return 0;
  // Step 7. Mate distance
  int lower = pos.ply - (MATE - 2);
  if (lower >= beta) {
    if (in_check) {
      Move evasions[MAX_MOVES];
      if (GenEvasions(pos, evasions) == evasions) lower = pos.ply - MATE;
    }
    if (lower >= beta) return lower;
  }
  const int upper = (MATE - 1) - pos.ply;
  if (upper < beta) return upper;
  // Step 8. Transposition table
  Move hash_move;
  int hash_score;
  if (HashCutoff(pos.key, depth, beta, pos.ply, &hash_move, &hash_score)) return hash_score;
  // Step 9. Save the position once for every move
  UndoRecord undo;
  SaveState(pos, undo);
  Move child_pv[PV_SIZE];
  Move searched_list[MAX_MOVES];
  int searched = 0;

  if (depth == 1) {
    // Step 10. Razoring: far below beta, a quiescence search decides
    if (Evaluate(pos) < beta - RAZOR_MARGIN) {
      const int v = QuiesceNode(t, beta - 1, beta, 0, child_pv);
      if (v < beta) return v;
    }
  } else if (!in_check && beta >= -MATE_BOUND && beta <= MATE_BOUND &&
             pos.piece_count[pos.side] >= 1) {
    // Step 11. Null move with verification
    MakeNull(pos);
    int v = -SearchZW(t, 1 - beta, depth - NULL_REDUCTION, child_pv);
    UnmakeNull(pos, undo);
    if (v >= beta) {
      if (depth < VERIFY_MIN_DEPTH) {
        if (v > MATE_BOUND) v = MATE_BOUND;
        StoreHash(pos.key, 0, depth, BOUND_LOWER, v);
        return v;
      }
      Move cut_move;
      const int verified = VerifyNullMove(t, undo, beta, depth, hash_move, pv, &cut_move);
      if (verified >= beta) {
        searched_list[0] = cut_move;
        return FinishCutoff(t, pos.key, cut_move, depth, verified, searched_list, 1);
      }
      pv[0] = 0;
    }
  }

  // Step 12. Move loop
  MovePicker picker;
  const bool single_reply = InitPicker(picker, t, pos, hash_move);
  int futility = FUTILITY_UNSET;
  bool first_quiet = true;
  int best = NO_SCORE;
  for (Move move; (move = NextMove(picker)) != 0;) {
    // Step 12a. Depth of the move
    int check_hint = -1;
    int new_depth = depth - 1;
    if (single_reply) {
      new_depth = depth;
    } else {
      check_hint = MoveGivesCheck(pos, move) ? 1 : 0;
      if (check_hint == 1 && SoundCheck(pos, move)) new_depth = depth;
    }
    const bool extended = new_depth >= depth;
    const bool quiet = MoveIsQuiet(pos, move);
    const bool prunable = !in_check && !extended;
    // Step 12b. History pruning: quiet moves that rarely cut off
    if (prunable && depth <= HISTORY_PRUNE_DEPTH &&
        picker.history_ratio < HISTORY_PRUNE_BASE / (depth / 3 + 1) && searched >= depth + 1 &&
        !PushIsPassed(pos, move))
      continue;
    // Step 12c. Futility pruning: quiet moves that cannot reach beta
    if (prunable && depth <= FUTILITY_DEPTH && quiet && !PushIsPassed(pos, move)) {
      if (futility == FUTILITY_UNSET) futility = Evaluate(pos) + FutilityMargin(depth);
      if (futility < beta) {
        if (futility > best) {
          best = futility;
          pv[0] = 0;
        }
        continue;
      }
    }
    // Step 12d. Late-move reduction
    bool reduced = false;
    if (prunable && searched >= LMR_MIN_SEARCHED && depth >= LMR_MIN_DEPTH &&
        !PushIsPassed(pos, move)) {
      if (!first_quiet) {
        reduced = true;
      } else if (quiet) {
        first_quiet = false;
        reduced = true;
      }
    }
    // Step 12e. Search the move; a reduced fail-high is searched again
    PrefetchNextChild(picker, pos, depth);
    MakeMove(pos, undo, move, check_hint);
    int v = -SearchZW(t, 1 - beta, new_depth - (reduced ? 1 : 0), child_pv);
    if (reduced && v >= beta) v = -SearchZW(t, 1 - beta, new_depth, child_pv);
    UnmakeMove(pos, undo, move);
    // Step 12f. Count it
    searched_list[searched++] = move;
    // Step 12g. Better move; a cut-off ends the loop
    if (v > best) {
      best = v;
      ExtendPV(pv, move, child_pv);
      // Step 13. Cut-off
      if (v >= beta) return FinishCutoff(t, pos.key, move, depth, best, searched_list, searched);
    }
  }
  if (best == NO_SCORE) return in_check ? pos.ply - MATE : 0;
  StoreHash(pos.key, 0, depth, BOUND_UPPER, ToTableScore(best, pos.ply));
  return best;
}
