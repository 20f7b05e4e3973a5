// What a thread does with its copy at a split point: take the split's
// next move under the split lock, search it on the copy, and report what
// it found at the next round.
#include <csetjmp>
#include <cstddef>
#include <cstring>

#include "board/make_move.h"
#include "board/movegen.h"
#include "search/alpha_beta.h"
#include "search/move_picker.h"
#include "search/parallel/parallel_search.h"
#include "search/parallel/split_point.h"
#include "search/quiesce.h"
#include "search/root_search.h"
#include "search/search_control.h"

namespace {

// The board-and-state block: everything in front of the node counter.
constexpr size_t BOARD_BLOCK_BYTES = offsetof(Position, nodes);

// Step 1. The copy gets the parent's board and the key history that the
// repetition test can reach, and counts its own nodes from 0.
void CopyPosition(Position& copy, const Position& parent) {
  std::memcpy(static_cast<void*>(&copy), &parent, BOARD_BLOCK_BYTES);
  for (int back = 1; back <= parent.state.fifty_clock && back < KEY_HISTORY_SIZE; ++back) {
    const int slot = KeyHistoryIndex(parent.game_ply - back);
    copy.key_history[slot] = parent.key_history[slot];
  }
  copy.nodes = 0;
}

// Killers, history and statistics go whole between owner and helper.
void CopyTables(SearchThread& to, const SearchThread& from) {
  std::memcpy(to.killers, from.killers, sizeof to.killers);
  std::memcpy(to.history, from.history, sizeof to.history);
  std::memcpy(to.history_stats, from.history_stats, sizeof to.history_stats);
}

// Copies a terminated variation.
void CopyPV(Move* to, const Move* from) {
  int i = 0;
  while (from[i] != 0 && i < PV_SIZE - 1) {
    to[i] = from[i];
    ++i;
  }
  to[i] = 0;
}

// A move handed out by SharedNextMove passes the test its kind asks for.
bool MovePasses(const Position& pos, Move move, MoveCheck check) {
  switch (check) {
    case MoveCheck::None:
      return true;
    case MoveCheck::Valid:
      return MoveIsValid(pos, move);
    case MoveCheck::Legal:
      return MoveIsLegal(pos, move);
  }
  return false;
}

// What one helper found since it last reported.
struct LocalResult {
  int best;
  int alpha;
  Move best_pv[PV_SIZE];  // the local best move and its variation
  Move alpha_move;        // the move that last raised the local alpha
  Move last;              // the move searched last round, not yet listed
  bool tables_copied;
};

// Step 3a, under the parent's lock: report the last round, then take the
// next move. Returns 0 when there is none for this helper.
Move ReportAndTake(SearchThread& w, SearchThread& p, LocalResult& local, MoveCheck* check,
                   int* count) {
  SplitPoint& sp = *p.split;
  if (sp.stopped.load(std::memory_order_relaxed) != 0) return 0;
  if (local.last != 0) sp.searched_list[sp.searched++] = local.last;
  local.last = 0;
  if (local.best > sp.best) {
    CopyPV(sp.pv, local.best_pv);
    sp.best = local.best;
  }
  if (local.alpha > sp.alpha) {
    CopyTables(p, w);
    sp.best_move = local.alpha_move;
    sp.alpha = local.alpha;
    if (sp.alpha >= sp.beta) StopSplit(p);
  }
  if (sp.split_done.load(std::memory_order_relaxed) != 0) return 0;
  if (!local.tables_copied || local.alpha < sp.alpha) {
    CopyTables(w, p);
    local.tables_copied = true;
  }
  const Move move = SharedNextMove(*sp.picker, check);
  *count = sp.searched;
  local.best = sp.best;
  local.alpha = sp.alpha;
  if (move == 0) sp.split_done.store(1, std::memory_order_relaxed);
  return move;
}

// Step 3c: the move searched as SearchPV searches its later moves: the
// zero window first, the open window when it beats alpha, and a reduced
// move that reaches beta once more at its full depth.
int SearchSharedMove(SearchThread& w, SplitPoint& sp, UndoRecord& undo, Move move, int count,
                     int alpha, Move* child_pv) {
  Position& pos = *w.pos;
  ExtensionInfo info;
  int new_depth = Extension(pos, sp.depth, move, sp.single_reply, sp.good_capture, &info);
  bool first_quiet = sp.first_quiet.load(std::memory_order_relaxed) != 0;
  const bool reduced = ReducePV(pos, move, sp.depth, new_depth, count, first_quiet);
  if (!first_quiet) sp.first_quiet.store(0, std::memory_order_relaxed);
  if (reduced) new_depth -= 1;
  MakeMove(pos, undo, move, info.gives_check);
  int v = -SearchZW(w, -alpha, new_depth, child_pv);
  if (v > alpha) v = -SearchPV(w, -sp.beta, -alpha, new_depth, child_pv, info.good_capture);
  if (reduced && v >= sp.beta)
    v = -SearchPV(w, -sp.beta, -alpha, new_depth + 1, child_pv, info.good_capture);
  UnmakeMove(pos, undo, move);
  return v;
}

// Steps 2 and 3 of the inner split work.
void ShareMovesPV(SearchThread& w, SearchThread& p) {
  SplitPoint& sp = *p.split;
  UndoRecord undo;
  SaveState(*w.pos, undo);
  LocalResult local;
  local.best_pv[0] = 0;
  local.alpha_move = 0;
  local.last = 0;
  local.tables_copied = false;
  AcquireLock(sp.lock);
  local.best = sp.best;
  local.alpha = sp.alpha;
  ReleaseLock(sp.lock);
  Move child_pv[PV_SIZE];
  while (!StateSet(ABORT)) {
    // Step 3a. Report, and take the next move
    MoveCheck check = MoveCheck::None;
    int count = 0;
    AcquireLock(sp.lock);
    const Move move = ReportAndTake(w, p, local, &check, &count);
    ReleaseLock(sp.lock);
    if (move == 0 || sp.stopped.load(std::memory_order_relaxed) != 0 || StateSet(ABORT)) return;
    // Step 3b. The test the move's kind leaves to the helper
    if (!MovePasses(*w.pos, move, check)) continue;
    // Step 3c. Search it
    const int v = SearchSharedMove(w, sp, undo, move, count, local.alpha, child_pv);
    // Step 3d. Remember it for the next report
    local.last = move;
    if (v > local.best) {
      local.best = v;
      ExtendPV(local.best_pv, move, child_pv);
      if (v > local.alpha) {
        local.alpha = v;
        local.alpha_move = move;
      }
    }
  }
}

// Step 2a of the root split work, under the main record's lock: the next
// root move and the values to search it with. Returns 0 at the end of the
// list, which closes the split.
Move TakeRootMove(SearchThread& w, SearchThread& p, LocalResult& local, int* index) {
  SplitPoint& sp = *p.split;
  const Move move = sp.searched_list[sp.searched];
  *index = sp.searched;
  if (move == 0)
    sp.split_done.store(1, std::memory_order_relaxed);
  else
    sp.searched += 1;
  if (!local.tables_copied || local.alpha < sp.alpha) {
    CopyTables(w, p);
    local.tables_copied = true;
  }
  local.alpha = sp.alpha;
  local.best = sp.best;
  return move;
}

// Step 2c: a root move after the first, as RootSearch searches it: the
// zero window, and the window (alpha, MATE) when it beats the split's alpha.
int SearchRootShare(SearchThread& w, SearchThread& p, UndoRecord& undo, Move move, int index,
                    int alpha, Move* child_pv) {
  Position& pos = *w.pos;
  SplitPoint& sp = *p.split;
  root.root_index = index;
  ExtensionInfo info;
  const int new_depth = Extension(pos, sp.depth, move, sp.single_reply, false, &info);
  MakeMove(pos, undo, move, info.gives_check);
  int v = -SearchZW(w, -alpha, new_depth, child_pv);
  if (v > alpha) {
    AcquireLock(sp.lock);
    const bool better = v > sp.alpha;
    if (better) MarkResearched();
    ReleaseLock(sp.lock);
    if (better) v = -SearchPV(w, -MATE, -alpha, new_depth, child_pv, info.good_capture);
  }
  UnmakeMove(pos, undo, move);
  return v;
}

// Step 2e, under the main record's lock: a new best root move, recorded as
// RootSearch records it; a score at beta ends the iteration.
void ReportRootMove(SearchThread& w, SearchThread& p, Move move, int v, const Move* child_pv) {
  SplitPoint& sp = *p.split;
  if (v <= sp.best) return;
  sp.best = v;
  if (v <= sp.alpha) return;
  CopyTables(p, w);
  root.best_move = move;
  root.best_score = v;
  root.best_depth = sp.depth;
  ExtendPV(root.best_pv, move, child_pv);
  if (w.index == 0) {
    RecordResult(*p.pos);
  } else {
    CopyResult(*p.pos);
    TrackScoreDrop();
    MarkHelpersBestMove();
  }
  sp.alpha = v;
  if (v >= sp.beta) StopSplit(p);
}

// A root move searched to its end after the split was stopped is not
// used; if the stop never reached this copy's own mark, it is counted.
bool RootSplitStopped(const SearchThread& w, const SearchThread& p) {
  if (p.split->stopped.load(std::memory_order_relaxed) == 0) return false;
  if (w.split->stopped.load(std::memory_order_relaxed) == 0)
    root_moves_after_stop.fetch_add(1, std::memory_order_relaxed);
  return true;
}

// Step 2 of the root split work.
void ShareRootMoves(SearchThread& w, SearchThread& p) {
  SplitPoint& sp = *p.split;
  UndoRecord undo;
  SaveState(*w.pos, undo);
  LocalResult local;
  local.tables_copied = false;
  local.alpha = local.best = NO_SCORE;
  Move child_pv[PV_SIZE];
  while (!StateSet(ABORT) && sp.split_done.load(std::memory_order_relaxed) == 0 &&
         sp.stopped.load(std::memory_order_relaxed) == 0) {
    // Step 2a-2b. The next root move
    int index = 0;
    AcquireLock(sp.lock);
    const Move move = TakeRootMove(w, p, local, &index);
    ReleaseLock(sp.lock);
    if (move == 0 || sp.stopped.load(std::memory_order_relaxed) != 0 || StateSet(ABORT)) return;
    // Step 2c-2d. Search it; its ordering score for the next iteration
    const int v = SearchRootShare(w, p, undo, move, index, local.alpha, child_pv);
    if (RootSplitStopped(w, p)) return;
    sp.root_scores[index] =
        static_cast<int16_t>(v > local.alpha ? (v < sp.beta ? v : sp.beta) : sp.floor);
    // Step 2e. A new best move
    if (v > local.best) {
      AcquireLock(sp.lock);
      ReportRootMove(w, p, move, v, child_pv);
      ReleaseLock(sp.lock);
    }
  }
}

}  // namespace

void SplitWorkPV(SearchThread& copy) {
  SearchThread& parent = *copy.split->parent;
  CopyPosition(*copy.pos, *parent.pos);
  // A stop or an abort below jumps back here and ends the work.
  if (setjmp(copy.abort_jump) == 0) ShareMovesPV(copy, parent);
}

void SplitWorkRoot(SearchThread& copy) {
  SearchThread& parent = *copy.split->parent;
  CopyPosition(*copy.pos, *parent.pos);
  if (setjmp(copy.abort_jump) == 0) ShareRootMoves(copy, parent);
}
