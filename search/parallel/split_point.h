// The split fields of a search record: what a record that shares out the
// rest of its node's moves keeps for the threads working on them. Fields
// other threads read without the lock are atomics; the rest change only
// under `lock`, or are written before the work is handed out and then
// stay fixed until every helper has left.
#pragma once

#include <atomic>
#include <cstdint>

#include "search/move_picker.h"
#include "search/parallel/spin_lock.h"
#include "search/search.h"

struct SplitPoint {
  SpinLock lock;
  std::atomic<uint8_t> split_done;         // no more moves, or stopped
  std::atomic<uint8_t> stopped;            // this record's search must end
  std::atomic<uint64_t> active_threads;    // worker threads helping here
  std::atomic<uint64_t> child_positions;   // records helping here
  SearchThread* parent;                    // the record this one helps

  // Fixed while the split lasts.
  int beta;
  int depth;
  bool good_capture;                       // good_capture_in of the node
  bool single_reply;
  int16_t* root_scores;                    // set only at a root split
  int floor;                               // root: score of a move failing low
  Move* searched_list;                     // the node's searched moves (root: root list)
  MovePicker* picker;                      // the node's move source (inner nodes)
  Move* pv;                                // the node's variation buffer

  // Changed by whoever improves them, under the lock.
  int alpha;
  int best;
  Move best_move;
  int searched;                            // moves searched (root: next index)
  std::atomic<uint8_t> first_quiet;        // late-move reduction's first-quiet flag
};

// The 64 search records; entry 0 is the main thread's, on the game.
extern SearchThread* search_records[64];

// Sets the record's split_done and stopped, and those of every record
// helping it, recursively. The caller holds the record's lock.
void StopSplit(SearchThread& record);

// Holding the global lock and the owner's lock: every idle thread gets a
// pool record to help the owner with, while one record remains for the
// owner's own share. Returns the owner's thread.
int AssignWorkers(SearchThread& owner);
// A thread's work on a pool record has ended: the record's count and
// masks go back to its parent, the record to the pool, a worker to idle.
void FinishWork(int thread, SearchThread& work);
// A split owner takes its thread back once its split has no helpers left;
// work the thread was given meanwhile is returned undone.
void ReclaimThread(int thread, SearchThread& owner);

// A helper thread found a new best root move: the main thread records and
// reports it at its next poll (helpers never write output).
void MarkHelpersBestMove();
// On the main thread: records and reports a new best root move that a
// helper found since the last call, if any.
void ReportHelpersBestMove();

// Work of a thread on its copy at an inner or a root split point. Each
// returns when the split has no more moves for it, when it was stopped,
// or on an abort.
void SplitWorkPV(SearchThread& copy);
void SplitWorkRoot(SearchThread& copy);
