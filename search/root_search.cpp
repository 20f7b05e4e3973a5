#include "search/root_search.h"

#include "board/make_move.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/alpha_beta.h"
#include "search/move_picker.h"
#include "search/parallel/parallel_search.h"
#include "search/parallel/split_point.h"
#include "search/quiesce.h"
#include "search/search_control.h"
#include "search/search_progress.h"
#include "search/transposition.h"

RootState root;

namespace {

// A result is shown from this iteration depth and elapsed time on.
constexpr int THINKING_MIN_DEPTH = 7;
constexpr uint32_t THINKING_MIN_MS = 100;
// A new best score this far below the last iteration's is a dropping score.
constexpr int SCORE_DROP = 50;
constexpr int RESULT_PV_MOVES = 7;
constexpr int THINKING_PV_MOVES = 7;

uint32_t ElapsedSinceStart() { return platform::TickCountMs() - root.search_start; }

// Searches root move `move` with the window rules of the iteration: later
// moves with the zero window first, the first move (and every move at
// depth 1) inside the aspiration window, re-opened when it fails.
int SearchRootMove(SearchThread& t, int depth, int new_depth, bool good_capture, int best,
                   int& alpha, int beta, int& floor, Move* pv) {
  if (depth > 1 && best > NO_SCORE) {
    int v = -SearchZW(t, -alpha, new_depth, pv);
    if (v > alpha) {
      MarkResearched();
      v = -SearchPV(t, -MATE, -alpha, new_depth, pv, good_capture);
    }
    return v;
  }
  int v = -SearchPV(t, -beta, -alpha, new_depth, pv, good_capture);
  if (v <= alpha) {
    alpha = floor = -MATE;
    MarkResearched();
    v = -SearchPV(t, -beta, -alpha, new_depth, pv, good_capture);
  }
  if (v >= beta) {
    MarkResearched();
    v = -SearchPV(t, -MATE, -alpha, new_depth, pv, good_capture);
  }
  return v;
}

// Multi-line iterations (MultiPV above 1): the best exact scores so far,
// highest first, and each root move's variation when its score is exact.
int top_scores[MAX_MULTI_PV];
int top_count = 0;
Move line_pvs[MAX_MOVES][8];
bool line_exact[MAX_MOVES];

// Makes root move i, clearing an earlier split's stop mark (MP builds) so
// the root can split again; returns the depth to search it to.
int EnterRootMove(SearchThread& t, UndoRecord& undo, int i, int depth, bool root_single_reply,
                  ExtensionInfo& info) {
  const Move move = root.moves[i];
  const int new_depth = Extension(*t.pos, depth, move, root_single_reply, false, &info);
  root.root_index = i;
  MakeMove(*t.pos, undo, move, info.gives_check);
  if constexpr (BUILD_MP) t.split->stopped.store(0, std::memory_order_relaxed);
  return new_depth;
}

// A new best root move: the root's record, the result, and the main
// thread's report.
void TakeBestMove(SearchThread& t, Move move, int score, int depth, const Move* pv) {
  root.best_move = move;
  root.best_score = score;
  root.best_depth = depth;
  ExtendPV(root.best_pv, move, pv);
  RecordResult(*t.pos);
  if (t.index == 0) ReportProgress(ProgressEvent::NewBest);
}

// Enters an exact score among the `wanted` best; a lower one falls off.
void EnterTopScore(int score, int wanted) {
  int i = top_count < wanted ? top_count++ : wanted;
  for (; i > 0 && top_scores[i - 1] < score; --i)
    if (i < wanted) top_scores[i] = top_scores[i - 1];
  if (i < wanted) top_scores[i] = score;
}

// A root move's score is exact when it beats this: the wanted-th best
// exact score so far, or anything while fewer than wanted are known.
int LineBound(int wanted) { return top_count < wanted ? -MATE : top_scores[wanted - 1]; }

// Copies the best exact lines of the iteration into the search record,
// best first, before the root list is re-sorted.
void PublishLines(int depth, int wanted) {
  bool taken[MAX_MOVES] = {};
  int count = 0;
  for (; count < wanted; ++count) {
    int pick = -1;
    for (int i = 0; i < root.count; ++i)
      if (line_exact[i] && !taken[i] && (pick < 0 || root.scores[i] > root.scores[pick])) pick = i;
    if (pick < 0) break;
    taken[pick] = true;
    RootLine& line = search_record.lines[count];
    for (int j = 0; j < 8; ++j) line.pv[j] = line_pvs[pick][j];
    line.score = root.scores[pick];
    line.depth = depth;
  }
  search_record.line_count = count;
}

// One multi-line iteration: every root move is searched against the
// wanted-th best exact score so far, so the wanted best moves get exact
// scores and variations. No aspiration window and no root split: a line
// found by a window or by another thread could be a bound only.
void RootSearchLines(SearchThread& t, int depth, bool root_single_reply, int wanted) {
  Position& pos = *t.pos;
  root.depth = depth;
  top_count = 0;
  int best = NO_SCORE;
  UndoRecord undo;
  SaveState(pos, undo);
  Move pv[PV_SIZE];
  for (int i = 0; i < root.count; ++i) {
    const Move move = root.moves[i];
    ExtensionInfo info;
    const int new_depth = EnterRootMove(t, undo, i, depth, root_single_reply, info);
    const int bound = LineBound(wanted);
    int v;
    if (bound > -MATE) {
      v = -SearchZW(t, -bound, new_depth, pv);
      if (v > bound) {
        MarkResearched();
        v = -SearchPV(t, -MATE, -bound, new_depth, pv, info.good_capture);
      }
    } else {
      v = -SearchPV(t, -MATE, MATE, new_depth, pv, info.good_capture);
    }
    UnmakeMove(pos, undo, move);
    root.scores[i] = static_cast<int16_t>(v);
    line_exact[i] = v > bound;
    if (line_exact[i]) {
      EnterTopScore(v, wanted);
      line_pvs[i][0] = move;
      int j = 0;
      for (; j < 7 && pv[j] != 0; ++j) line_pvs[i][j + 1] = pv[j];
      for (++j; j < 8; ++j) line_pvs[i][j] = 0;
    }
    if (v > best) {
      best = v;
      TakeBestMove(t, move, v, depth, pv);
    }
  }
  PublishLines(depth, wanted);
  SortMoves(root.moves, root.scores, root.count);
  StuffPV(pos, root.best_pv);
}

}  // namespace

void CopyResult(const Position& pos) {
  SearchResult& r = search_record.result;
  r.result_move = root.best_move;
  r.score = root.best_score;
  r.depth = root.best_depth;
  r.elapsed_ms = ElapsedSinceStart();
  r.nodes = pos.nodes;
  int i = 0;
  for (; i < RESULT_PV_MOVES && root.best_pv[i] != 0; ++i) r.pv[i] = root.best_pv[i];
  for (; i < 8; ++i) r.pv[i] = 0;
}

void RecordResult(const Position& pos) {
  // Step 1. The result record
  CopyResult(pos);
  const uint32_t elapsed = search_record.result.elapsed_ms;
  // Step 2. The thinking record, when the result is worth showing
  if ((protocol_flags & FLAG_POST) && root.best_depth >= THINKING_MIN_DEPTH &&
      elapsed >= THINKING_MIN_MS) {
    thinking_record.score = root.best_score;
    thinking_record.elapsed_ms = static_cast<int32_t>(elapsed);
    thinking_record.depth = root.best_depth;
    thinking_record.nodes = pos.nodes;
    int j = 0;
    for (; j < THINKING_PV_MOVES - 1 && root.best_pv[j] != 0; ++j)
      thinking_record.pv[j] = root.best_pv[j];
    for (; j < THINKING_PV_MOVES; ++j) thinking_record.pv[j] = 0;
  }
  // Step 3. A dropping score keeps the clock from stopping early
  TrackScoreDrop();
}

void TrackScoreDrop() {
  if (root.best_depth > 1) {
    if (root.best_score <= root.last_iteration_score - SCORE_DROP) {
      SetFlags(SCORE_DROPPED);
      ClearFlags(EASY_MOVE | TIME_UP);
    } else {
      ClearFlags(SCORE_DROPPED);
    }
  }
}

void RootSearch(SearchThread& t, int depth, bool root_single_reply) {
  if (search_record.request.multi_pv > 1 && root.count > 0) {
    const int wanted = search_record.request.multi_pv < root.count ? search_record.request.multi_pv : root.count;
    RootSearchLines(t, depth, root_single_reply, wanted);
    return;
  }
  Position& pos = *t.pos;
  // Step 1. The window around the previous score
  const int prev = root.best_score;
  int alpha = prev - ASPIRATION_WINDOW;
  const int beta = prev + ASPIRATION_WINDOW;
  int floor = prev - ASPIRATION_WINDOW;
  int best = NO_SCORE;
  root.depth = depth;
  for (int i = 0; i < root.count; ++i) root.scores[i] = NO_SCORE;
  // Step 2. Save the root once for every move
  if (root.count == 0) return;
  UndoRecord undo;
  SaveState(pos, undo);
  Move pv[PV_SIZE];
  // Step 3. Every root move in order
  for (int i = 0; i < root.count; ++i) {
    const Move move = root.moves[i];
    // Step 3a-3b. Depth of the move, and the move made
    ExtensionInfo info;
    const int new_depth = EnterRootMove(t, undo, i, depth, root_single_reply, info);
    // Step 3c-3e. Search it
    const int v = SearchRootMove(t, depth, new_depth, info.good_capture, best, alpha, beta,
                                 floor, pv);
    UnmakeMove(pos, undo, move);
    // Step 3f. Its ordering score
    root.scores[i] = static_cast<int16_t>(v > alpha ? (v < beta ? v : beta) : floor);
    // Step 3g. A new best move
    if (v > best) {
      if (best == NO_SCORE || v > alpha) TakeBestMove(t, move, v, depth, pv);
      best = v;
      if (v > alpha) {
        if (depth > 1) alpha = v;
        if (v >= beta) break;
      }
    }
    // Step 3h. MP builds: idle threads share the remaining root moves
    if constexpr (BUILD_MP) {
      if (RootSplitWanted(depth, best)) {
        RootSplitNode node{.alpha = alpha,
                           .beta = beta,
                           .depth = depth,
                           .best = best,
                           .floor = floor,
                           .next_index = i + 1,
                           .single_reply = root_single_reply};
        if (SplitRoot(t, node)) {
          best = node.best;
          break;
        }
      }
    }
  }
  // Step 4. Best first for the next iteration
  SortMoves(root.moves, root.scores, root.count);
  // Step 5. An exact result seeds the table with its variation
  if (floor < best && best < beta) StuffPV(pos, root.best_pv);
}
