#include "search/time_budget.h"

namespace {

// The moves of a control that the budget looks ahead at most.
constexpr int64_t MAX_MOVES_LEFT = 32;
// Sudden death: the remaining time is shared as if 29 moves were left.
constexpr int64_t SUDDEN_DEATH_MOVES = 29;
constexpr int64_t RESERVE_MS = 1000;
// A fixed time per move is a hard limit at the front end: the search stops
// a tenth of it earlier, at most 100 ms, room for the move's way out. The
// clock is read at polls 50 ms apart, so the margin never drops below one
// poll step and a little more.
constexpr uint32_t FIXED_TIME_MARGIN_MAX_MS = 100;
constexpr uint32_t FIXED_TIME_MARGIN_MIN_MS = 60;

uint32_t FixedTimeMargin(uint32_t fixed_ms) {
  const uint32_t tenth = fixed_ms / 10;
  if (tenth > FIXED_TIME_MARGIN_MAX_MS) return FIXED_TIME_MARGIN_MAX_MS;
  return tenth < FIXED_TIME_MARGIN_MIN_MS ? FIXED_TIME_MARGIN_MIN_MS : tenth;
}

int32_t ToInt32(int64_t value) {
  if (value > 2147483647LL) return 2147483647;
  if (value < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int32_t>(value);
}

}  // namespace

TimeBudget ComputeTimeBudget(const ClockSettings& clock) {
  if (clock.fixed_move_ms < NO_FIXED_TIME) {
    const uint32_t margin = FixedTimeMargin(clock.fixed_move_ms);
    const uint32_t usable = clock.fixed_move_ms > margin ? clock.fixed_move_ms - margin : 0;
    return {static_cast<int32_t>(usable), static_cast<int32_t>(usable)};
  }
  const int64_t available = clock.own_clock_ms - RESERVE_MS > 0 ? clock.own_clock_ms - RESERVE_MS : 0;
  const int64_t increment = static_cast<int64_t>(clock.increment_s) * 1000;
  const int64_t per_control = clock.moves_per_control;
  int64_t pool;
  int64_t target;
  if (per_control > 0) {
    int64_t left = per_control - (clock.game_half_moves / 2) % per_control;
    if (left > MAX_MOVES_LEFT) left = MAX_MOVES_LEFT;
    pool = (left - 1) * increment + available;
    target = pool / left;
  } else {
    pool = (SUDDEN_DEATH_MOVES - 1) * increment + available;
    target = pool / SUDDEN_DEATH_MOVES;
  }
  int64_t maximum = pool >> 1;
  if (clock.ponder) target = target * 5 / 4;
  if (target > available) target = available;
  if (maximum > available) maximum = available;
  return {ToInt32(target), ToInt32(maximum)};
}

bool ClockAllowsPondering(int64_t clock_left_ms) { return clock_left_ms > RESERVE_MS; }
