// "go" and its limits: the UCI clock fields, fixed time, depth, nodes,
// infinite and ponder, and the search order made from them.
#pragma once

#include <cstdint>

#include "frontend/game.h"
#include "frontend/search_handover.h"

// What one "go" asked for. Times are milliseconds; sides index by the
// board's side numbers (BLACK 0, WHITE 1).
struct UciGo {
  int32_t clock_ms[2];     // "btime", "wtime"; -1 when not given
  int32_t increment_ms[2]; // "binc", "winc"
  int32_t moves_to_go;     // 0: the rest of the game
  int32_t move_time_ms;    // "movetime"; -1 when not given
  int32_t depth;           // -1 when not given
  uint64_t nodes;          // 0 when not given
  int32_t mate;            // "mate N": moves to mate; -1 when not given
  bool infinite;
  bool ponder;
  int32_t search_move_count;              // 0: every legal move
  Move search_moves[LEGAL_LIST_SIZE];     // "searchmoves": the legal ones named
};

// Reads the text after "go". Unknown words are explained in an "info
// string" line and skipped; negative times read as 0. "searchmoves" takes
// the moves after it up to the next keyword, each checked against the
// game's legal moves: an illegal one is explained and left out.
UciGo ParseUciGo(const char* text);

// Whether the search keeps to a clock: a "movetime" or the side's time.
bool UciGoIsTimed(const UciGo& go, int side);

// A search that only "stop" (or "ponderhit") ends: "infinite", "ponder",
// or a "go" without any limit (time, depth, nodes or mate).
bool UciGoWaitsForStop(const UciGo& go, int side);

// The budget from the side's clock fields through the engine's own time
// rules; "ponder" is the Ponder option; `overhead_ms` ("Move Overhead") is
// taken off the clock and the fixed time first.
TimeBudget UciTimeBudget(const UciGo& go, int side, bool ponder, int32_t overhead_ms = 0);

// The search order for this "go" (pondering starts without the clock).
// "mate N" searches at most 2N - 1 plies; the searched moves point into `go`.
SearchOrder UciSearchOrder(const UciGo& go, int side, bool ponder, ProgressReporter reporter,
                           int32_t overhead_ms = 0);

// Whether a score proves what "go mate N" asked for: a mate in N moves or
// fewer for the side to move.
bool UciMateFound(const UciGo& go, int score);
