// The UCI mode's pure parts: hash size steps, score text, move text, the
// "go" fields and the search order made from them.
#include <gtest/gtest.h>

#include "board/legal_moves.h"
#include "board_test_support.h"
#include "frontend/engine_init.h"
#include "frontend/uci/go.h"
#include "frontend/uci/options.h"
#include "frontend/uci/output.h"
#include "frontend/uci/text.h"
#include "search/search.h"

namespace {

TEST(Uci, HashMiBMapsOntoTheTableSizeSteps) {
  EXPECT_EQ(HashMiB(1), 1);
  EXPECT_EQ(HashMiB(6), 32);  // the default table
  EXPECT_EQ(HashLogForMiB(32), 6);
  EXPECT_EQ(HashLogForMiB(63), 6);  // rounded down to a step
  EXPECT_EQ(HashLogForMiB(64), 7);
  EXPECT_EQ(HashLogForMiB(0), 1);  // below the smallest step
  EXPECT_EQ(HashLogForMiB(-5), 1);
  EXPECT_EQ(HashLogForMiB(int64_t{1} << 40), 12);  // capped (64-bit test build)
}

TEST(Uci, ScoresReadAsCentipawnsOrMovesToMate) {
  char text[32];
  FormatUciScore(35, text, sizeof text);
  EXPECT_STREQ(text, "cp 35");
  FormatUciScore(-MATE_BOUND, text, sizeof text);
  EXPECT_STREQ(text, "cp -29288");
  FormatUciScore(MATE - 1, text, sizeof text);  // mates with its next move
  EXPECT_STREQ(text, "mate 1");
  FormatUciScore(MATE - 5, text, sizeof text);
  EXPECT_STREQ(text, "mate 3");
  FormatUciScore(-(MATE - 2), text, sizeof text);  // mated after one move each
  EXPECT_STREQ(text, "mate -1");
  FormatUciScore(-(MATE - 6), text, sizeof text);
  EXPECT_STREQ(text, "mate -3");
}

TEST(Uci, MovesReadAndWriteInCoordinates) {
  auto pos = board_test::PositionFrom("r3k3/1P6/8/8/8/8/8/R3K2R w KQq -");
  Move legal[MAX_MOVES];
  const int count = BuildLegalMoves(*pos, legal);
  char text[UCI_MOVE_SIZE];
  const Move castle = UciMoveFromText("e1g1", legal, count);
  ASSERT_NE(castle, 0);
  EXPECT_STREQ(UciMoveText(castle, text), "e1g1");
  const Move promotion = UciMoveFromText("b7a8n", legal, count);
  ASSERT_NE(promotion, 0);
  EXPECT_STREQ(UciMoveText(promotion, text), "b7a8n");
  EXPECT_EQ(UciMoveFromText("b7a8", legal, count), 0);  // a promotion needs its letter
  EXPECT_EQ(UciMoveFromText("b7a8=n", legal, count), 0);
  EXPECT_EQ(UciMoveFromText("e1e3", legal, count), 0);
  EXPECT_EQ(UciMoveFromText("", legal, count), 0);
}

TEST(Uci, GoReadsEveryField) {
  const UciGo go = ParseUciGo("wtime 60000 btime -20 winc 1500 binc 0 movestogo 12 depth 7 nodes 5000000000");
  EXPECT_EQ(go.clock_ms[WHITE], 60000);
  EXPECT_EQ(go.clock_ms[BLACK], 0);  // a negative clock reads as empty
  EXPECT_EQ(go.increment_ms[WHITE], 1500);
  EXPECT_EQ(go.moves_to_go, 12);
  EXPECT_EQ(go.depth, 7);
  EXPECT_EQ(go.nodes, 5000000000ULL);
  EXPECT_EQ(go.move_time_ms, -1);
  EXPECT_FALSE(go.infinite);
  EXPECT_TRUE(UciGoIsTimed(go, WHITE));
  EXPECT_FALSE(UciGoWaitsForStop(go, WHITE));

  const UciGo huge = ParseUciGo("movetime 99999999999 ponder");
  EXPECT_EQ(huge.move_time_ms, 2147483647);
  EXPECT_TRUE(huge.ponder);
  EXPECT_TRUE(UciGoWaitsForStop(huge, BLACK));
}

TEST(Uci, GoWithoutLimitsWaitsForStop) {
  EXPECT_TRUE(UciGoWaitsForStop(ParseUciGo(""), WHITE));
  EXPECT_TRUE(UciGoWaitsForStop(ParseUciGo("infinite"), WHITE));
  // Only the side to move's clock counts.
  EXPECT_TRUE(UciGoWaitsForStop(ParseUciGo("btime 1000"), WHITE));
  EXPECT_FALSE(UciGoWaitsForStop(ParseUciGo("depth 3"), WHITE));
  EXPECT_FALSE(UciGoWaitsForStop(ParseUciGo("nodes 100"), WHITE));
}

TEST(Uci, SearchOrderFollowsTheEngineTimeRules) {
  // 40 moves in 5 minutes at the first move: the engine's own budget.
  SearchOrder order = UciSearchOrder(ParseUciGo("wtime 300000 btime 300000 movestogo 40"), WHITE, false,
                                     nullptr);
  EXPECT_TRUE(order.timed);
  EXPECT_EQ(order.budget.target_ms, 9343);
  EXPECT_EQ(order.budget.max_ms, 149500);
  EXPECT_EQ(order.depth_limit, 64);
  // Sudden death with a 2 s increment, pondering on.
  order = UciSearchOrder(ParseUciGo("btime 60000 binc 2000"), BLACK, true, nullptr);
  EXPECT_EQ(order.budget.target_ms, 4956);
  // A fixed time per move keeps its margin.
  order = UciSearchOrder(ParseUciGo("movetime 1000"), WHITE, false, nullptr);
  EXPECT_EQ(order.budget.target_ms, 900);
  EXPECT_EQ(order.budget.max_ms, 900);
  // "depth N" searches iterations 1 to N, untimed; pondering starts untimed.
  order = UciSearchOrder(ParseUciGo("depth 5"), WHITE, false, nullptr);
  EXPECT_FALSE(order.timed);
  EXPECT_EQ(order.depth_limit, 6);
  EXPECT_EQ(UciSearchOrder(ParseUciGo("depth 0"), WHITE, false, nullptr).depth_limit, 2);
  EXPECT_EQ(UciSearchOrder(ParseUciGo("depth 999"), WHITE, false, nullptr).depth_limit, 64);
  EXPECT_FALSE(UciSearchOrder(ParseUciGo("ponder wtime 5000"), WHITE, false, nullptr).timed);
}

TEST(Uci, WordsAreSplitOnBlanks) {
  char word[8];
  CopyWord("  position startpos", word, sizeof word);
  EXPECT_STREQ(word, "positio");  // cut to the room given
  EXPECT_STREQ(AfterWord("  go \t depth 3"), "depth 3");
  EXPECT_STREQ(AfterWord("stop"), "");
  EXPECT_TRUE(StartsWithWord("moves e2e4", "moves"));
  EXPECT_FALSE(StartsWithWord("movesx", "moves"));
  EXPECT_TRUE(EqualIgnoringCase("OwnBook", "ownbook"));
  EXPECT_FALSE(EqualIgnoringCase("Own", "OwnBook"));
}

}  // namespace
