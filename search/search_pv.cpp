#include "search/alpha_beta.h"

#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/recognized_draw.h"
#include "search/history.h"
#include "search/move_picker.h"
#include "search/parallel/parallel_search.h"
#include "search/quiesce.h"
#include "search/transposition.h"

namespace {

constexpr int IID_MIN_DEPTH = 3;
constexpr int LMR_MIN_DEPTH = 3;
constexpr int LMR_MIN_SEARCHED = 3;
constexpr int LMR_REDUCE_FROM = 6;  // moves searched before a reduction applies

// Step 10. Internal iterative deepening: a half-depth search supplies the
// move to try first when the table has none.
Move IterativeDeepeningMove(SearchThread& t, int alpha, int beta, int depth) {
  Move scratch[PV_SIZE];
  const int v = SearchPV(t, alpha, beta, depth / 2, scratch, false);
  if (v <= alpha) SearchPV(t, -MATE, beta, depth / 2, scratch, false);
  return scratch[0];
}

}  // namespace

// Step 11b. Whether a move of a principal-variation node is reduced.
bool ReducePV(const Position& pos, Move move, int depth, int new_depth, int searched,
              bool& first_quiet) {
  if (pos.state.in_check || new_depth >= depth || searched < LMR_MIN_SEARCHED ||
      depth < LMR_MIN_DEPTH || PushIsPassed(pos, move))
    return false;
  if (first_quiet) {
    if (!MoveIsQuiet(pos, move)) return false;
    first_quiet = false;
  }
  return searched >= LMR_REDUCE_FROM;
}

int SearchPV(SearchThread& t, int alpha, int beta, int depth, Move* pv, bool good_capture_in) {
  Position& pos = *t.pos;
  const bool in_check = pos.state.in_check != 0;
  // Step 1. Empty variation
  pv[0] = 0;
  // Step 2. End of the ply arrays and of the key history
  if (AtSearchHorizon(pos)) return Evaluate(pos);
  // Step 3. Quiescence at the horizon: quiet checks in its first two plies
  if (depth < 1) {
    t.qcheck_limit = -1;
    return QuiesceNode(t, alpha, beta, 0, pv);
  }
  // Step 6. Draw by rule
  if (DrawByRule(pos)) return 0;
  // Step 6b. Recognized draws of very little material (Passive builds)
  if constexpr (BUILD_PASSIVE)
    if (RecognizedDraw(pos)) return 0;
  // Step 7. Mate distance
  int lower = pos.ply - (MATE - 2);
  if (lower > alpha) {
    if (in_check) {
      Move evasions[MAX_MOVES];
      if (GenEvasions(pos, evasions) == evasions) lower = pos.ply - MATE;
    }
    if (lower > alpha) {
      alpha = lower;
      if (lower >= beta) return lower;
    }
  }
  const int upper = (MATE - 1) - pos.ply;
  if (upper < beta) {
    beta = upper;
    if (upper <= alpha) return upper;
  }
  // Step 8. Transposition table: the move only
  TTData entry;
  Move hash_move = ProbeHash(pos.key, &entry) ? entry.move : 0;
  // Step 9. Save the position once for every move
  UndoRecord undo;
  SaveState(pos, undo);
  // Step 10. Internal iterative deepening
  if (depth >= IID_MIN_DEPTH && hash_move == 0)
    hash_move = IterativeDeepeningMove(t, alpha, beta, depth);

  // Step 11. Move loop
  MovePicker picker;
  const bool single_reply = InitPicker(picker, t, pos, hash_move);
  const int alpha0 = alpha;
  bool first_quiet = true;
  int best = NO_SCORE;
  Move best_move = 0;
  int searched = 0;
  Move searched_list[MAX_MOVES];
  Move child_pv[PV_SIZE];
  for (Move move; (move = NextMove(picker)) != 0;) {
    // Step 11a. Depth of the move
    ExtensionInfo info;
    int new_depth = Extension(pos, depth, move, single_reply, good_capture_in, &info);
    // Step 11b. Late-move reduction
    const bool reduced = ReducePV(pos, move, depth, new_depth, searched, first_quiet);
    if (reduced) new_depth -= 1;
    // Step 11c. Later moves are tried with the zero window first
    MakeMove(pos, undo, move, info.gives_check);
    int v;
    if (best > NO_SCORE) {
      v = -SearchZW(t, -alpha, new_depth, child_pv);
      if (v > alpha) v = -SearchPV(t, -beta, -alpha, new_depth, child_pv, info.good_capture);
    } else {
      v = -SearchPV(t, -beta, -alpha, new_depth, child_pv, info.good_capture);
    }
    // Step 11d. A reduced move that fails high gets its full depth
    if (reduced && v >= beta)
      v = -SearchPV(t, -beta, -alpha, new_depth + 1, child_pv, info.good_capture);
    UnmakeMove(pos, undo, move);
    // Step 11e. Count it
    searched_list[searched++] = move;
    // Step 11f. Better move
    if (v > best) {
      best = v;
      ExtendPV(pv, move, child_pv);
      if (v > alpha) {
        best_move = move;
        alpha = v;
        if (alpha >= beta) break;
      }
    }
    // Step 11g. MP builds: idle threads share the remaining moves
    if constexpr (BUILD_MP) {
      if (PVSplitWanted(depth, best, best_move)) {
        PVSplitNode node{.alpha = alpha,
                         .beta = beta,
                         .depth = depth,
                         .best = best,
                         .best_move = best_move,
                         .searched = searched,
                         .good_capture = good_capture_in,
                         .single_reply = single_reply,
                         .first_quiet = first_quiet,
                         .picker = &picker,
                         .pv = pv,
                         .searched_list = searched_list};
        if (SplitPV(t, node)) {
          best = node.best;
          best_move = node.best_move;
          searched = node.searched;
          break;
        }
      }
    }
  }
  // Step 12. Learning from the move that last raised alpha
  if (best == NO_SCORE) return in_check ? pos.ply - MATE : 0;
  if (MoveIsQuiet(pos, best_move)) {
    if (best >= beta) {
      int before = 0;
      while (searched_list[before] != best_move) ++before;
      LearnCutoff(t, best_move, depth, searched_list, before);
    } else {
      UpdateKillersAndHistory(t, pos, best_move, depth);
    }
  }
  // Step 13. Store with the bound both window edges give
  const int bound = (best > alpha0 ? BOUND_LOWER : 0) | (best < beta ? BOUND_UPPER : 0);
  StoreHash(pos.key, best_move, depth, bound, ToTableScore(best, pos.ply));
  return best;
}
