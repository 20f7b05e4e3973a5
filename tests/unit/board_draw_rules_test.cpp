// The fifty-move rule and repetition as the front end applies them.
#include <gtest/gtest.h>

#include "board/draw_rules.h"
#include "board_test_support.h"

namespace {

using board_test::Line;
using board_test::PositionFrom;

TEST(DrawRules, FiftyMoveRuleAndMateOnTheLastMove) {
  auto pos = PositionFrom("4k3/8/8/8/8/8/8/R3K3 w - -");
  pos->state.fifty_clock = 99;
  EXPECT_FALSE(GameIsDrawn(*pos));
  pos->state.fifty_clock = 100;
  EXPECT_TRUE(GameIsDrawn(*pos));
  pos->state.fifty_clock = 101;
  EXPECT_TRUE(GameIsDrawn(*pos));
  // In check with a reply: drawn; checkmated: not drawn at 100, drawn from 101.
  pos = PositionFrom("4k3/8/8/8/8/8/8/r3K3 w - -");
  pos->state.fifty_clock = 100;
  EXPECT_TRUE(GameIsDrawn(*pos));
  pos = PositionFrom("4k3/8/8/8/8/8/r7/1r2K3 w - -");
  ASSERT_TRUE(pos->state.in_check);
  pos->state.fifty_clock = 100;
  EXPECT_FALSE(GameIsDrawn(*pos));
  pos->state.fifty_clock = 101;
  EXPECT_TRUE(GameIsDrawn(*pos));
}

TEST(DrawRules, ThirdRepetitionOfTheStartPosition) {
  auto pos = PositionFrom(START_FEN);
  Line line;
  const char* shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  for (int ply = 1; ply <= 12; ++ply) {
    line.Play(*pos, shuffle[(ply - 1) % 4]);
    EXPECT_EQ(GameIsDrawn(*pos), ply == 12) << "ply " << ply;
  }
}

TEST(DrawRules, PawnMovesAndNullMovesCutTheHistory) {
  auto pos = PositionFrom(START_FEN);
  Line line;
  const char* shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  for (int ply = 0; ply < 8; ++ply) line.Play(*pos, shuffle[ply % 4]);
  line.Play(*pos, "e2e3");
  line.Play(*pos, "e7e6");
  for (int ply = 0; ply < 8; ++ply) {
    line.Play(*pos, shuffle[ply % 4]);
    EXPECT_FALSE(GameIsDrawn(*pos));
  }
  for (int ply = 0; ply < 4; ++ply) line.Play(*pos, shuffle[ply % 4]);
  EXPECT_TRUE(GameIsDrawn(*pos));
  // The same shuffle across a null move is never compared.
  pos = PositionFrom(START_FEN);
  Line shuffles;
  for (int ply = 0; ply < 8; ++ply) shuffles.Play(*pos, shuffle[ply % 4]);
  UndoRecord undo[2];
  SaveState(*pos, undo[0]);
  MakeNull(*pos);
  SaveState(*pos, undo[1]);
  MakeNull(*pos);
  for (int ply = 0; ply < 4; ++ply) shuffles.Play(*pos, shuffle[ply % 4]);
  EXPECT_FALSE(GameIsDrawn(*pos));
}

}  // namespace
