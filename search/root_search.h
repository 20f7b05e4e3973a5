// The root of the search: one iteration over the root moves, and the
// search-wide best-so-far that each new best root move records.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/movegen.h"
#include "board/position.h"
#include "search/search.h"

// Search-wide values of the running search.
struct RootState {
  Move moves[MAX_MOVES];      // legal root moves, terminated
  int16_t scores[MAX_MOVES];  // ordering score of each root move
  int count;
  Move best_move;             // last recorded best root move
  int best_score;             // its score; centres the next search's window
  int best_depth;             // the iteration depth that produced it
  Move best_pv[PV_SIZE];
  int last_iteration_score;   // best_score when the last iteration completed
  std::atomic<int> root_index;  // index of the root move being searched (any thread)
  int depth;                  // the iteration being searched
  uint32_t search_start;      // millisecond clock at the start of the search
  uint64_t start_nodes;       // the game record's node count at the start
};
extern RootState root;

// Half-width of the aspiration window around the previous score.
inline constexpr int ASPIRATION_WINDOW = 40;

// One iteration to `depth` over moves/scores; re-sorts them best first.
void RootSearch(SearchThread& t, int depth, bool root_single_reply);

// Copies the best-so-far into the search result (and the thinking record
// when it is worth showing) and tracks a dropping score.
void RecordResult(const Position& pos);

// Only the first part: the search result. A helper thread that finds a new
// best root move records it so, under the main record's split lock.
void CopyResult(const Position& pos);
