// The parallel search of the MP builds: the pool of search records, the
// worker threads, and the split test the node loops call. The SP builds
// compile the calls away (BUILD_MP is false) and never start a worker.
#pragma once

#include <atomic>
#include <cstdint>

#include "search/move_picker.h"
#include "search/search.h"

// Worker threads (bits 1..7) waiting for work; the main thread is never
// one. Read without the lock for the quick test before a split.
extern std::atomic<uint64_t> idle_threads;
// Whether splits are allowed at the root and at inner nodes.
extern bool split_root_on;
extern bool split_nodes_on;

// Splits happen only this deep: shallower work is cheaper to do alone.
inline constexpr int SPLIT_MIN_DEPTH = 4;
// A worker's stack: a node takes about 6.5 KB and the search goes at most
// MAX_PLY plies deep, plus the quiescence search below it.
inline constexpr size_t WORKER_STACK_BYTES = size_t{8} << 20;

// Start-up: numbers the records, creates threads - 1 workers (parked).
// Returns false when a worker could not be started; the search then uses
// the threads it got.
bool InitParallelSearch(int threads, bool split_root, bool split_nodes);
// Between searches: the search uses `threads` threads from now on (2..8),
// starting the workers it lacks; answers the count it got.
int SetSearchThreads(int threads);
void SetSplitSwitches(bool split_root, bool split_nodes);
// Search threads running, the main thread included.
int SearchThreadCount();

// Think's step 5: the main record is fresh and the workers wake up.
void StartParallelSearch(SearchThread& main);
// Think's step 12: waits until every worker is idle and every pool record
// free, then lets the workers park.
void EndParallelSearch();
// True when every started worker is idle and all 63 pool records are free.
bool ParallelSearchAtRest();
uint64_t FreePositionMask();

// The node counts every record has published, summed: the game record's
// whole count and the pool records' counts since they were assigned.
uint64_t ParallelNodeCount();

// An abort stops every split point under the main record.
void StopMainSplit();

// Splits made so far, by kind (for the developer tool and the tests).
extern std::atomic<uint64_t> root_splits;
extern std::atomic<uint64_t> inner_splits;

// After an owner's wait at its split point. A cut-off in that split also
// stopped the owner's own record; the mark is cleared (true) so that the
// owner's search goes on with the split's result and, on a pool record,
// the move it searches for its own parent split is not lost. A stop from
// the parent split or an abort stands (false): the owner must leave by
// its abort jump before the partial result reaches the table.
bool SettleOwnerStop(SearchThread& owner);

// The state of a principal-variation node at its split test; the split
// gives back best, best_move and searched.
struct PVSplitNode {
  int alpha;
  int beta;
  int depth;
  int best;
  Move best_move;
  int searched;
  bool good_capture;
  bool single_reply;
  bool first_quiet;
  MovePicker* picker;
  Move* pv;
  Move* searched_list;
};

// The state of the root loop at its split test; the split gives back best.
struct RootSplitNode {
  int alpha;
  int beta;
  int depth;
  int best;
  int floor;
  int next_index;
  bool single_reply;
};

// The quick tests: a split may pay off here and a thread is free for it.
inline bool PVSplitWanted(int depth, int best, Move best_move) {
  return split_nodes_on && best_move != 0 && best > NO_SCORE && depth >= SPLIT_MIN_DEPTH &&
         idle_threads.load(std::memory_order_relaxed) != 0;
}
inline bool RootSplitWanted(int depth, int best) {
  return split_root_on && best > NO_SCORE && depth >= SPLIT_MIN_DEPTH &&
         idle_threads.load(std::memory_order_relaxed) != 0;
}

// TrySplit: hands the rest of the node's moves to idle threads and helps
// until they are all searched. True when the split was made; the node's
// loop then ends with the values the split gives back. An abort or a stop
// from above leaves by the record's abort jump instead of returning.
bool SplitPV(SearchThread& t, PVSplitNode& node);
bool SplitRoot(SearchThread& t, RootSplitNode& node);
