// The thinking line's shown score and the continuation search behind it.
#include <gtest/gtest.h>

#include "board/random_state.h"
#include "board/set_position.h"
#include "board_test_support.h"
#include "frontend/xboard/thinking_output.h"

namespace {

TEST(ThinkingOutput, ShownScoresShiftMatesAndJitterTheRest) {
  const uint32_t before = random_state;
  EXPECT_EQ(ShownScore(29795), 21603);
  EXPECT_EQ(ShownScore(-29795), -21603);
  EXPECT_EQ(ShownScore(0), 0);
  EXPECT_EQ(random_state, before);  // no draw for mates and zero
  for (int i = 0; i < 200; i++) {
    const int shown = ShownScore(35);
    EXPECT_GE(shown, 20);
    EXPECT_LE(shown, 51);
  }
  EXPECT_NE(random_state, before);
}

TEST(ThinkingOutput, ContinuationFindsTheWinningCapture) {
  // White to move wins the queen on d5; the line starts with the capture.
  auto pos = board_test::PositionFrom("4k3/8/8/3q4/8/8/8/3RK3 w - -");
  Move line[64];
  const int score = ContinuationSearch(*pos, 2, -29800, 29800, line);
  EXPECT_EQ(line[0], MoveWord(3, 35));
  EXPECT_EQ(score, 5);  // the rook stays against nothing once the queen is gone
  // The position is given back unchanged.
  auto fresh = board_test::PositionFrom("4k3/8/8/3q4/8/8/8/3RK3 w - -");
  EXPECT_EQ(pos->key, fresh->key);
}

TEST(ThinkingOutput, CaptureSearchStandsPatWithoutCaptures) {
  auto pos = board_test::PositionFrom("4k3/8/8/8/8/8/PPPP4/4K3 b - -");
  Move line[64];
  EXPECT_EQ(CaptureSearch(*pos, -100, 100, line), -4);
  EXPECT_EQ(line[0], 0);
}

TEST(ThinkingOutput, ContinuationStaysSmallInSharpPositions) {
  // From a soak game: a full capture search here made 11 million moves and
  // took the engine's clock past its flag after an ordinary move.
  for (const char* fen : {"r3k1nr/n3q1b1/p2p1p2/1pp3pp/4Ppb1/PNQP4/1PP2KPP/RNB2B1R w kq - 1 15",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"}) {
    auto pos = board_test::PositionFrom(fen);
    const uint64_t key = pos->key;
    const uint64_t before = pos->nodes;
    Move line[64];
    const int score = ContinuationSearch(*pos, 2, -29800, 29800, line);
    EXPECT_LT(pos->nodes - before, 50000u) << fen;
    EXPECT_NE(line[0], 0) << fen;
    EXPECT_GT(score, -29800) << fen;
    EXPECT_LT(score, 29800) << fen;
    EXPECT_EQ(pos->key, key) << fen;
    // Each call has the whole budget again.
    const uint64_t again = pos->nodes;
    ContinuationSearch(*pos, 2, -29800, 29800, line);
    EXPECT_EQ(pos->nodes - again, again - before) << fen;
  }
}

}  // namespace
