// Quiescence: stand pat, rule draws, mates, the bare-king stalemate and
// which captures and checks are searched.
#include "board/make_move.h"
#include "eval/evaluate.h"
#include "search/quiesce.h"
#include "search_test_support.h"

namespace {

using search_test::MoveFromText;
using search_test::NewGame;

int QuiesceAt(Position& pos, int alpha, int beta, int qcheck_limit = 0) {
  main_search.pos = &pos;
  main_search.qcheck_limit = qcheck_limit;
  Move pv[PV_SIZE];
  return QuiesceNode(main_search, alpha, beta, 0, pv);
}

TEST(Quiesce, StandsPatOnTheEvaluationWithNothingToCapture) {
  auto pos = NewGame("4k3/8/8/8/8/8/4P3/4K3 w - -");
  const int eval = Evaluate(*pos);
  EXPECT_EQ(QuiesceAt(*pos, -1000, 1000), eval);
  EXPECT_EQ(QuiesceAt(*pos, eval + 10, eval + 11), eval);  // fail low returns it as well
  EXPECT_EQ(QuiesceAt(*pos, -1000, eval - 5), eval);      // fail high on stand pat
}

TEST(Quiesce, WinsAHangingPieceButNotADefendedOne) {
  auto hanging = NewGame("4k3/8/8/3r4/8/8/8/3QK3 w - -");
  EXPECT_GT(QuiesceAt(*hanging, -2000, 2000), Evaluate(*hanging) + 300);
  // Captures only (no quiet checks): whether a check improves the static
  // score is the evaluation's matter, not this test's.
  auto defended = NewGame("4k3/8/4p3/3p4/8/8/8/3QK3 w - -");
  EXPECT_EQ(QuiesceAt(*defended, -2000, 2000, 1), Evaluate(*defended));
}

TEST(Quiesce, MatedWithNoEvasionAndDrawsByRule) {
  auto mated = NewGame("R5k1/5ppp/8/8/8/8/8/6K1 b - -");
  EXPECT_EQ(QuiesceAt(*mated, -MATE, MATE), -MATE);  // ply 0
  auto fifty = NewGame("R5k1/5ppp/8/8/8/8/8/6K1 b - -");
  fifty->state.fifty_clock = 100;
  EXPECT_EQ(QuiesceAt(*fifty, -MATE, MATE), 0);
}

TEST(Quiesce, RepetitionFourPliesBackScoresZero) {
  auto pos = NewGame("4k3/8/8/8/8/8/8/R3K3 w - -");
  const char* moves[] = {"a1a2", "e8d8", "a2a1", "d8e8"};
  UndoRecord undo[4];
  for (int i = 0; i < 4; ++i) {
    SaveState(*pos, undo[i]);
    MakeMove(*pos, undo[i], MoveFromText(*pos, moves[i]), -1);
  }
  pos->ply = 0;
  EXPECT_EQ(QuiesceAt(*pos, -1000, 1000), 0);
  EXPECT_TRUE(DrawByRule(*pos));
}

TEST(Quiesce, RepetitionTestNeverLooksBeforeTheSetUp) {
  auto pos = NewGame("4k3/8/8/8/8/8/8/R3K3 w - -");
  pos->state.fifty_clock = 60;  // a clock from the text, no moves made
  EXPECT_FALSE(DrawByRule(*pos));
}

TEST(Quiesce, BareKingInACornerWithEveryNeighbourAttackedIsStalemate) {
  auto pos = NewGame("7k/8/6Q1/8/8/8/8/K7 b - -");
  EXPECT_EQ(QuiesceAt(*pos, -5000, 5000), 0);
  auto free_square = NewGame("7k/8/5Q2/8/8/8/8/K7 b - -");
  EXPECT_LT(QuiesceAt(*free_square, -5000, 5000), -500);
}

TEST(Quiesce, QuietChecksOnlyWithinTheCheckHorizon) {
  // Ra8 is mate; only the quiet-check stage finds it.
  auto mate = NewGame("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  EXPECT_EQ(QuiesceAt(*mate, -MATE, MATE, 0), MATE - 1);
  // With the check horizon below this ply only the stand pat counts.
  auto again = NewGame("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  EXPECT_EQ(QuiesceAt(*again, -MATE, MATE, 1), Evaluate(*again));
}

TEST(Quiesce, DeltaPruningSkipsSmallCapturesFarBelowAlphaInZeroWindowNodes) {
  // White to move, a pawn capture available; alpha far above the estimate.
  auto pos = NewGame("4k3/8/8/3p4/4P3/8/8/4K3 w - -");
  const int eval = Evaluate(*pos);
  const int alpha = eval + 400;
  // Pruned: the result is the estimate eval + 150, below alpha.
  EXPECT_EQ(QuiesceAt(*pos, alpha, alpha + 1), eval + 150);
  // With an open window the capture is searched and nothing is estimated.
  EXPECT_LE(QuiesceAt(*pos, alpha, alpha + 100), alpha);
}

}  // namespace
