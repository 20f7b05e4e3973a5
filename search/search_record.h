// The one record through which the front end asks for a search and reads
// its result. The front end fills the request before each search (and
// changes `timed` and the budget at a ponder hit, from inside the running
// search); the search fills the result.
#pragma once

#include <cstdint>

#include "board/position.h"

// What the search is asked to do.
struct SearchRequest {
  uint8_t timed;        // 1: keep to the clock; 0: run until stopped (pondering)
  int32_t target_ms;    // time the search aims to use
  int32_t max_ms;       // time the search must not pass
  int32_t depth_limit;  // copy of the "sd" setting
  int32_t multi_pv;     // best root lines wanted, 1 .. MAX_MULTI_PV
  uint8_t root_moves_restricted;  // 1: the root moves are a chosen few, not all
  uint64_t node_limit;  // the search stops once it has searched this many nodes; 0: no limit
};

// What the search found: the best root move so far and how it got there.
struct SearchResult {
  Move result_move;     // best root move so far, 0 when none
  int32_t score;        // its score, from the engine's point of view
  int32_t depth;        // the iteration depth that produced it
  uint32_t elapsed_ms;  // time since the search began
  uint64_t nodes;       // node count of the game position's record
  Move pv[8];           // principal variation, at most 7 moves, ended by 0
};

// The most best root lines a search reports at once.
inline constexpr int MAX_MULTI_PV = 64;

// One of the best root lines of a completed iteration, when more than one
// is wanted: its variation (the root move first), exact score and depth.
struct RootLine {
  Move pv[8];
  int32_t score;
  int32_t depth;
};

struct SearchRecord {
  SearchRequest request;
  SearchResult result;
  // With multi_pv above 1: the best lines of the last completed iteration,
  // best first; line_count is 0 until an iteration has completed.
  RootLine lines[MAX_MULTI_PV];
  int32_t line_count;
};

extern SearchRecord search_record;

// The last result worth showing, kept while "post" is on; the thinking
// line after the engine's move is printed from it.
struct ThinkingRecord {
  int32_t score;
  int32_t elapsed_ms;
  int32_t depth;
  uint64_t nodes;
  Move pv[7];
};

extern ThinkingRecord thinking_record;
