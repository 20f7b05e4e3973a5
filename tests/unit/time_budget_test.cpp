// The time budget: fixed time per move, controls, sudden death, pondering
// and the edges of the clock.
#include <gtest/gtest.h>

#include "search/time_budget.h"

namespace {

ClockSettings Clock(int32_t own_ms, int32_t moves, int32_t increment_s, int32_t half_moves = 0) {
  return {NO_FIXED_TIME, own_ms, moves, increment_s, half_moves, false};
}

void ExpectBudget(const ClockSettings& clock, int32_t target, int32_t maximum) {
  TimeBudget budget = ComputeTimeBudget(clock);
  EXPECT_EQ(budget.target_ms, target);
  EXPECT_EQ(budget.max_ms, maximum);
}

TEST(TimeBudget, FixedTimePerMoveWins) {
  ClockSettings clock = Clock(1000, 40, 0);
  // A hair before the limit, so the move arrives in time.
  clock.fixed_move_ms = 5000;
  ExpectBudget(clock, 4900, 4900);
  // Short times keep a tenth, but never less than one poll step and a bit.
  clock.fixed_move_ms = 800;
  ExpectBudget(clock, 720, 720);
  clock.fixed_move_ms = 100;
  ExpectBudget(clock, 40, 40);
  clock.fixed_move_ms = 50;
  ExpectBudget(clock, 0, 0);
  clock.fixed_move_ms = 0;
  ExpectBudget(clock, 0, 0);
}

TEST(TimeBudget, MovesPerControl) {
  ExpectBudget(Clock(300000, 40, 0), 9343, 149500);
  // After 40 half-moves twenty moves are left in the control.
  ExpectBudget(Clock(300000, 40, 0, 40), 14950, 149500);
  // The last move of a control gets the whole pool as target, capped.
  ExpectBudget(Clock(10000, 40, 0, 78), 9000, 4500);
}

TEST(TimeBudget, SuddenDeathWithIncrementAndPondering) {
  ExpectBudget(Clock(60000, 0, 2), 3965, 57500);
  ClockSettings clock = Clock(60000, 0, 2);
  clock.ponder = true;
  ExpectBudget(clock, 4956, 57500);
}

TEST(TimeBudget, ClockEdges) {
  // Below a second, or nothing at all, or less than nothing: no time to use.
  ExpectBudget(Clock(800, 0, 0), 0, 0);
  ExpectBudget(Clock(0, 40, 0), 0, 0);
  ExpectBudget(Clock(-5000, 0, 0), 0, 0);
  // Huge values never overflow and never exceed what is available.
  TimeBudget huge = ComputeTimeBudget(Clock(2147483647, 0, 2147483647));
  EXPECT_EQ(huge.target_ms, 2147483647 - 1000);
  EXPECT_EQ(huge.max_ms, 2147483647 - 1000);
  TimeBudget negative_increment = ComputeTimeBudget(Clock(60000, 0, -2147483647));
  EXPECT_LE(negative_increment.target_ms, 59000);
  EXPECT_LE(negative_increment.max_ms, 59000);
  TimeBudget odd_control = ComputeTimeBudget(Clock(60000, -3, 0));
  EXPECT_EQ(odd_control.target_ms, 59000 / 29);
}

}  // namespace
