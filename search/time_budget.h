// How long a search on the engine's own move may run.
#pragma once

#include <cstdint>

// The clock settings the budget is computed from; the front end keeps them.
struct ClockSettings {
  uint32_t fixed_move_ms;     // "st" * 1000; NO_FIXED_TIME when none
  int32_t own_clock_ms;       // the engine's remaining time
  int32_t moves_per_control;  // 0: sudden death
  int32_t increment_s;        // seconds added per move
  int32_t game_half_moves;    // half-moves played in the game so far
  bool ponder;                // the engine thinks on the opponent's time
};

inline constexpr uint32_t NO_FIXED_TIME = 604800000;  // 7 days: no "st"

// The time a search aims to use and the time it must not pass.
struct TimeBudget {
  int32_t target_ms;
  int32_t max_ms;
};

// A fixed time per move is used up to a tenth of it (60 to 100 ms) before
// its end. Otherwise a
// second of the clock is kept in reserve; the rest is shared among the
// moves left in the control (at most 32, or 29 in sudden death) with the
// increments they bring. The maximum is half the pool; pondering allows a
// quarter more target. Both stay within the available time. Computed in 64
// bits and held to the 32-bit range, so no clock value can overflow it.
TimeBudget ComputeTimeBudget(const ClockSettings& clock);

// Whether the engine ponders with this much on its own clock after its
// move. The opponent's move is read at the next poll (every 50 ms), so a
// ponder search costs up to a poll step on every move, more than a small
// increment brings; below the reserve the engine stops pondering and
// answers at once until its clock is back above it.
bool ClockAllowsPondering(int64_t clock_left_ms);
