// Quiescence search: captures that do not lose material and, near the
// main search, quiet checks; every evasion when in check. No table, no
// killers, no history updates.
#pragma once

#include "board/position.h"
#include "search/search.h"

// The node is at the end of the per-ply arrays, so it is evaluated rather
// than searched. (The key history is a ring, so a long game needs no
// limit of its own here.)
inline bool AtSearchHorizon(const Position& pos) { return pos.ply >= MAX_PLY; }

// Fifty-move rule, or the position occurred before within the moves that
// can repeat (same side to move, since the last capture or pawn move).
bool DrawByRule(const Position& pos);

// The two quiescence routines share this signature; the table below picks
// one by the side to move's in_check flag.
using QuiesceRoutine = int (*)(SearchThread& t, int alpha, int beta, int qdepth, Move* pv);

// Not in check: stand pat, good captures, quiet checks while qdepth >=
// qcheck_limit.
int Quiesce(SearchThread& t, int alpha, int beta, int qdepth, Move* pv);

// In check: every legal evasion, no stand pat.
int QuiesceEvasions(SearchThread& t, int alpha, int beta, int qdepth, Move* pv);

inline constexpr QuiesceRoutine QUIESCE_BY_CHECK[2] = {Quiesce, QuiesceEvasions};

// The quiescence routine for the thread's current position.
inline int QuiesceNode(SearchThread& t, int alpha, int beta, int qdepth, Move* pv) {
  // The deepest nodes of a search are quiescence nodes: the selective depth.
  if (t.pos->ply > t.sel_ply) t.sel_ply = t.pos->ply;
  return QUIESCE_BY_CHECK[t.pos->state.in_check](t, alpha, beta, qdepth, pv);
}

// Sets pv to move followed by the child's variation.
inline void ExtendPV(Move* pv, Move move, const Move* child) {
  pv[0] = move;
  int i = 0;
  while (child[i] != 0 && i < PV_SIZE - 2) {
    pv[i + 1] = child[i];
    ++i;
  }
  pv[i + 1] = 0;
}
