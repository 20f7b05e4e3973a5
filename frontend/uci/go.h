// "go" and its limits: the UCI clock fields, fixed time, depth, nodes,
// infinite and ponder, and the search order made from them.
#pragma once

#include <cstdint>

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
  bool infinite;
  bool ponder;
};

// Reads the text after "go". Unknown words are explained in an "info
// string" line and skipped; negative times read as 0.
UciGo ParseUciGo(const char* text);

// Whether the search keeps to a clock: a "movetime" or the side's time.
bool UciGoIsTimed(const UciGo& go, int side);

// A search that only "stop" (or "ponderhit") ends: "infinite", "ponder",
// or a "go" without any limit.
bool UciGoWaitsForStop(const UciGo& go, int side);

// The budget from the side's clock fields through the engine's own time
// rules; "ponder" is the Ponder option.
TimeBudget UciTimeBudget(const UciGo& go, int side, bool ponder);

// The search order for this "go" (pondering starts without the clock).
SearchOrder UciSearchOrder(const UciGo& go, int side, bool ponder, ProgressReporter reporter);
