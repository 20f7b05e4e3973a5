// Progress reports of a running search, for front ends that show the
// search as it goes (analysis, UCI) rather than only its result.
#pragma once

#include <cstdint>

#include "board/position.h"

// What just happened in the search.
enum class ProgressEvent : uint8_t {
  NewBest,        // a new best root move was recorded in search_record.result
  IterationDone,  // an iteration completed
};

// Called on the main thread, from inside the search; it may write output
// but must not touch the game position, on which the search runs.
using ProgressReporter = void (*)(ProgressEvent event);

// Registers the reporter (null: nothing is reported, the usual case).
void SetProgressReporter(ProgressReporter reporter);

// Hands an event to the registered reporter, if any.
void ReportProgress(ProgressEvent event);

// Where the running iteration stands, for a status line.
struct SearchProgress {
  int depth;          // the iteration being searched
  int root_index;     // index of the root move being searched
  int root_count;     // number of root moves
  Move current_move;  // the root move being searched (0 when none)
};

SearchProgress CurrentProgress();
