// Passive builds: every search routine below the root returns 0 at once in
// a recognized draw, and searches on where the rule does not apply.
#include "eval/evaluate.h"
#include "eval/recognized_draw.h"
#include "search/alpha_beta.h"
#include "search/quiesce.h"
#include "search_test_support.h"

namespace {

using search_test::NewGame;

struct Scores {
  int quiesce, zero_window, principal;
};

Scores SearchAll(Position& pos) {
  main_search.pos = &pos;
  main_search.qcheck_limit = 0;
  Move pv[PV_SIZE];
  Scores s;
  s.quiesce = QuiesceNode(main_search, -MATE, MATE, 0, pv);
  s.zero_window = SearchZW(main_search, 50, 4, pv);
  s.principal = SearchPV(main_search, -MATE, MATE, 4, pv, false);
  return s;
}

TEST(RecognizedDrawSearch, EveryRoutineReturnsZeroInARecognizedDraw) {
  auto pos = NewGame("8/8/8/4k3/4P3/8/2K5/8 w - -");  // the king in front of the pawn
  ASSERT_NE(Evaluate(*pos), 0);
  const Scores s = SearchAll(*pos);
  EXPECT_EQ(s.quiesce, 0);
  EXPECT_EQ(s.zero_window, 0);
  EXPECT_EQ(s.principal, 0);
}

TEST(RecognizedDrawSearch, AWinningPawnEndingIsSearched) {
  auto pos = NewGame("3k4/8/3K4/3P4/8/8/8/8 w - -");
  const Scores s = SearchAll(*pos);
  EXPECT_GT(s.quiesce, 0);
  EXPECT_GT(s.principal, 0);
}

// A rook pawn's neighbours do not wrap round the board: a king on the
// other edge is no king beside the pawn. Each case also mirrored (files
// and colours); the pawn simply runs.
TEST(RecognizedDrawSearch, ARookPawnHasNoNeighbourOnTheOtherEdge) {
  for (const char* fen : {"8/8/8/7k/P7/7K/8/8 w - -", "8/8/8/k7/7P/K7/8/8 w - -",
                          "8/8/7k/8/p7/7K/8/8 b - -", "8/8/k7/8/7p/K7/8/8 b - -"}) {
    auto pos = NewGame(fen);
    EXPECT_FALSE(RecognizedDraw(*pos)) << fen;
  }
  // The king truly beside the pawn, the weak king holding the opposition:
  // still a draw.
  auto held = NewGame("8/8/k7/8/KP6/8/8/8 w - -");
  EXPECT_TRUE(RecognizedDraw(*held));
}

}  // namespace
