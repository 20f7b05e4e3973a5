// The recursive search below the root: open-window principal-variation
// nodes, zero-window nodes and the depth rule for a move.
#pragma once

#include "board/position.h"
#include "search/search.h"

// Searches the thread's position with the window (alpha, beta); never
// takes a score from the table.
int SearchPV(SearchThread& t, int alpha, int beta, int depth, Move* pv, bool good_capture_in);

// Searches the thread's position with the window (beta - 1, beta).
int SearchZW(SearchThread& t, int beta, int depth, Move* pv);

// What Extension found out about a move on the way.
struct ExtensionInfo {
  int gives_check;    // 1 or 0 when computed, -1 when not (make works it out)
  bool good_capture;  // a capture searched at full depth; its reply is not
};

// The depth a move is searched to in a principal-variation node (and at
// the root).
int Extension(const Position& pos, int depth, Move move, bool single_reply,
              bool good_capture_in, ExtensionInfo* info);

// Late-move reduction in a principal-variation node (and at a split of
// one): whether the move is searched one ply less. Clears first_quiet at
// the node's first quiet move.
bool ReducePV(const Position& pos, Move move, int depth, int new_depth, int searched,
              bool& first_quiet);

// The node's first moves ran out without a cut-off, or the verification
// found one: killer, history and statistics updates for a cut-off by
// `move` after the quiet moves in tried[0..tried_count).
void LearnCutoff(SearchThread& t, Move move, int depth, const Move* tried, int tried_count);
