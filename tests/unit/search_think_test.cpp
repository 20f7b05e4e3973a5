// Think: mates found at the right depth with the right score, material
// won, a legal move from every position, the game position given back
// exactly (also after an abort), reproducible node counts, and a move
// even when no iteration runs.
#include <cstring>
#include <vector>

#include "board/make_move.h"
#include "search/search_control.h"
#include "search_test_support.h"

namespace {

using search_test::IsLegal;
using search_test::MoveFromText;
using search_test::MoveText;
using search_test::NewGame;
using search_test::ThinkTo;

struct MateCase {
  const char* fen;
  int plies;           // mate delivered on this ply
  const char* first;   // the mating line's first move, if it is the only one
};

constexpr MateCase MATES[] = {
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - -", 1, "a1a8"},
    {"r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -", 1, "h5f7"},
    {"8/8/8/8/8/8/k7/2K4R w - -", 3, "h1h3"},
    {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", 1, "d1d8"},
    {"1k6/ppp5/8/8/8/8/8/K2R3R w - -", 1, "d1d8"},
    {"r5k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - -", 3, "d2d8"},
    {"2bqkbn1/2pppp2/np2N3/r3P1p1/p2N2B1/5Q2/PPPPKPP1/RNB2r2 w - -", 3, "f3f7"},
    {"8/8/7k/8/8/8/1R6/R5K1 w - -", 5, nullptr},  // several first moves mate
};

TEST(Think, FindsMatesAtTheRightDepthWithTheRightScore) {
  for (const MateCase& c : MATES) {
    auto pos = NewGame(c.fen);
    // A root fail-high ends its iteration early, so allow two more.
    const SearchResult& r = ThinkTo(*pos, c.plies + 3);
    EXPECT_EQ(r.score, MATE - c.plies) << c.fen;
    if (c.first != nullptr) {
      EXPECT_EQ(MoveText(r.result_move), c.first) << c.fen;
    }
    EXPECT_TRUE(IsLegal(*pos, r.result_move)) << c.fen;
    EXPECT_EQ(r.pv[0], r.result_move);
  }
}

TEST(Think, DefendsAgainstAMateInOneAndScoresBeingMated) {
  auto pos = NewGame("6k1/5ppp/8/8/8/8/r7/1r4K1 w - -");  // White is mated
  const SearchResult& r = ThinkTo(*pos, 4);
  EXPECT_EQ(r.result_move, 0);  // no legal move, nothing to play
  auto lost = NewGame("1r5k/8/8/8/8/8/r7/5K2 w - -");  // mated next move
  const SearchResult& l = ThinkTo(*lost, 5);
  EXPECT_LT(l.score, -MATE_BOUND);
  EXPECT_TRUE(IsLegal(*lost, l.result_move));
}

TEST(Think, WinsObviousMaterial) {
  struct Case {
    const char* fen;
    const char* move;
  };
  const Case cases[] = {
      {"7k/8/8/3q4/8/8/3R4/4K3 w - -", "d2d5"},  // the queen hangs on the file
      {"r3k3/p1p5/8/8/8/8/PP6/4K2B w - -", "h1a8"},  // the rook hangs on the diagonal
      {"4k3/pp6/8/3r4/8/4N3/PP6/4K3 w - -", "e3d5"},  // the rook hangs to the knight
  };
  for (const Case& c : cases) {
    auto pos = NewGame(c.fen);
    const SearchResult& r = ThinkTo(*pos, 5);
    EXPECT_EQ(MoveText(r.result_move), c.move) << c.fen;
    EXPECT_GT(r.score, 250) << c.fen;
  }
}

// Varied positions: openings, middle games, endings, checks, promotions.
constexpr const char* ANY_POSITIONS[] = {
    START_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "8/P7/8/8/8/8/6k1/K7 w - -",
    "8/8/8/8/8/5k2/p7/5K2 b - -",
    "4k3/8/8/8/8/8/4r3/R3K3 w Q -",
    "6k1/8/8/8/8/8/6q1/7K w - -",
    "7k/8/8/8/8/8/8/K7 w - -",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
};

TEST(Think, AlwaysReturnsALegalMoveAndGivesThePositionBackBitForBit) {
  auto saved = std::make_unique<Position>();
  for (const char* fen : ANY_POSITIONS) {
    auto pos = NewGame(fen);
    std::memcpy(saved.get(), pos.get(), sizeof(Position));
    const SearchResult& r = ThinkTo(*pos, 6);
    EXPECT_TRUE(IsLegal(*pos, r.result_move)) << fen << " " << MoveText(r.result_move);
    EXPECT_EQ(std::memcmp(saved.get(), pos.get(), sizeof(Position)), 0) << fen;
    EXPECT_GT(r.nodes, 0u) << fen;
  }
}

// A poller that stops the search on its n-th call.
int polls_until_stop = 0;
bool StopAfterSomePolls() { return --polls_until_stop <= 0; }
std::atomic<uint8_t> always_due{1};

class AbortTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetInputPoller(nullptr);
    SetPollFlag(nullptr);
    UseSelfTimedPolls(false);
  }
};

// Raises the tick byte on every look so each zero-window node polls.
struct AlwaysDue {
  static bool Poll() {
    always_due.store(1);
    return StopAfterSomePolls();
  }
};

TEST_F(AbortTest, AnAbortGivesThePositionBackAndKeepsTheBestMoveSoFar) {
  SetInputPoller(AlwaysDue::Poll);
  SetPollFlag(&always_due);
  auto saved = std::make_unique<Position>();
  for (int stop_after : {1, 5, 200, 3000}) {
    for (const char* fen : ANY_POSITIONS) {
      auto pos = NewGame(fen);
      Move list[MAX_MOVES];
      if (BuildLegalMoves(*pos, list) == 0) continue;
      std::memcpy(saved.get(), pos.get(), sizeof(Position));
      polls_until_stop = stop_after;
      always_due.store(1);
      const SearchResult& r = ThinkTo(*pos, 64);
      if (polls_until_stop <= 0) {
        EXPECT_TRUE(FlagSet(INPUT_STOP)) << fen;
      }
      EXPECT_EQ(std::memcmp(saved.get(), pos.get(), sizeof(Position)), 0) << fen;
      EXPECT_TRUE(IsLegal(*pos, r.result_move)) << fen;
    }
  }
}

bool NoInput() { return false; }

// No tick thread: nothing raises the tick byte, and the search must still
// notice its maximum time and a stopping command inside an iteration.
TEST_F(AbortTest, WithoutATickThreadTheSearchStillStopsOnTheClockAndOnInput) {
  UseSelfTimedPolls(true);
  SetInputPoller(NoInput);
  auto pos = NewGame(ANY_POSITIONS[1]);
  Move list[MAX_MOVES];
  const int n = BuildLegalMoves(*pos, list);
  search_record = SearchRecord{};
  search_record.request = {1, 1000000, 300, 64};
  Think(*pos, list, n);
  // Stopped by the clock inside an iteration. TIME_UP itself is no witness:
  // the closing record clears it again when the cut iteration's score fell.
  EXPECT_TRUE(StateSet(ABORT));
  EXPECT_FALSE(FlagSet(INPUT_STOP));
  EXPECT_GE(search_record.result.elapsed_ms, 300u);
  EXPECT_LT(search_record.result.depth, 63);
  EXPECT_LT(search_record.result.elapsed_ms, 5000u);

  SetInputPoller(StopAfterSomePolls);
  polls_until_stop = 3;
  search_record = SearchRecord{};
  search_record.request = {0, 0, 0, 64};
  Think(*pos, list, n);
  EXPECT_TRUE(FlagSet(INPUT_STOP));
  EXPECT_TRUE(IsLegal(*pos, search_record.result.result_move));
}

TEST(Think, SameSearchFromANewGameGivesTheSameNodesAndMove) {
  for (const char* fen : {ANY_POSITIONS[0], ANY_POSITIONS[1], ANY_POSITIONS[5]}) {
    auto first = NewGame(fen);
    const SearchResult a = ThinkTo(*first, 7);
    auto second = NewGame(fen);
    const SearchResult b = ThinkTo(*second, 7);
    EXPECT_EQ(a.nodes, b.nodes) << fen;
    EXPECT_EQ(a.result_move, b.result_move) << fen;
    EXPECT_EQ(a.score, b.score) << fen;
  }
}

TEST(Think, DepthLimitOneRunsNoIterationButStillNamesAMove) {
  auto pos = NewGame(START_FEN);
  const SearchResult& r = ThinkTo(*pos, 1);
  EXPECT_EQ(r.depth, 0);
  EXPECT_EQ(r.nodes, 0u);
  EXPECT_TRUE(IsLegal(*pos, r.result_move));
  EXPECT_EQ(r.pv[0], r.result_move);
  EXPECT_EQ(r.pv[1], 0);
}

TEST(Think, OneLegalMoveSearchesOnlyThreeIterations) {
  auto pos = NewGame("6k1/8/8/8/8/8/6q1/7K w - -");
  const SearchResult& r = ThinkTo(*pos, 64);
  EXPECT_EQ(r.depth, 3);
  EXPECT_EQ(MoveText(r.result_move), "h1g2");
}

TEST(Think, ResultMoveIsAlwaysTheFirstMoveOfItsVariation) {
  auto pos = NewGame(ANY_POSITIONS[1]);
  const SearchResult& r = ThinkTo(*pos, 6);
  EXPECT_EQ(r.pv[0], r.result_move);
  // The variation is playable from the root.
  UndoRecord undo[8];
  int made = 0;
  for (; made < 7 && r.pv[made] != 0; ++made) {
    ASSERT_TRUE(IsLegal(*pos, r.pv[made])) << made;
    SaveState(*pos, undo[made]);
    MakeMove(*pos, undo[made], r.pv[made], -1);
  }
  while (made-- > 0) UnmakeMove(*pos, undo[made], r.pv[made]);
}

}  // namespace
