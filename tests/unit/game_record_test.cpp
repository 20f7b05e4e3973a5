// The game record over a game longer than it holds: the clock keeps
// counting every move played when the oldest ones are forgotten.
#include <gtest/gtest.h>

#include "board/legal_moves.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/search_handover.h"
#include "search_test_support.h"

namespace {

using search_test::EnsureEngineTables;

constexpr const char* START_TEXT = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// Knights out and back: a game of any length without a capture or a mate.
Move ShuffleMove(int half_move) {
  static const Move cycle[4] = {MoveWord(6, 21), MoveWord(62, 45), MoveWord(21, 6), MoveWord(45, 62)};
  return cycle[half_move % 4];
}

TEST(GameRecord, MovesPerControlCountEveryMovePlayedAcrossTheRecordDrop) {
  EnsureEngineTables();
  const int32_t saved_moves = moves_per_control, saved_clock = own_clock_ms, saved_inc = increment_s;
  moves_per_control = 40;
  own_clock_ms = 60000;
  increment_s = 0;
  NewGame(START_TEXT);
  for (int played = 0; played < 2 * GAME_MOVE_LIMIT + 20; ++played) {
    ASSERT_EQ(GameHalfMovesPlayed(), played);
    const TimeBudget budget = BudgetForGame();
    // 59000 ms spread over the moves left in this control of 40.
    const int left = std::min(40 - (played / 2) % 40, 32);
    ASSERT_EQ(budget.target_ms, 59000 / left) << "after " << played << " half-moves";
    ApplyGameMove(ShuffleMove(played));
  }
  EXPECT_LT(game_length, GAME_MOVE_LIMIT + 1);
  EXPECT_GT(game_moves_dropped, 0);
  TakeBack();
  EXPECT_EQ(GameHalfMovesPlayed(), 2 * GAME_MOVE_LIMIT + 19);
  NewGame(START_TEXT);
  EXPECT_EQ(GameHalfMovesPlayed(), 0);
  moves_per_control = saved_moves;
  own_clock_ms = saved_clock;
  increment_s = saved_inc;
}

}  // namespace
