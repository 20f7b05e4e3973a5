// Move ordering: the stable sort, the picker's stages, evasion order and
// the killer, history and statistics updates.
#include <algorithm>
#include <vector>

#include "board/make_move.h"
#include "search/history.h"
#include "search/move_picker.h"
#include "search_test_support.h"

namespace {

using search_test::MoveFromText;
using search_test::NewGame;

// Positions with captures, promotions, en passant, castling and checks.
constexpr const char* PICKER_POSITIONS[] = {
    START_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    "4k3/8/8/8/8/8/4r3/R3K3 w Q -",
    "6k1/8/8/8/8/8/5q2/7K w - -",
    "6k1/8/8/8/8/8/R5q1/7K w - -",
    "4k3/8/8/8/8/2n5/8/R3K2R w KQ -",
};

std::vector<Move> SortedLegal(const Position& pos) {
  Move list[MAX_MOVES];
  const int n = BuildLegalMoves(pos, list);
  std::vector<Move> legal;
  for (int i = 0; i < n; ++i)
    if (MovePromotion(list[i]) == 0 || MovePromotion(list[i]) == QUEEN) legal.push_back(list[i]);
  std::sort(legal.begin(), legal.end());
  return legal;
}

std::vector<Move> PickAll(Position& pos, Move hash_move) {
  MovePicker picker;
  InitPicker(picker, main_search, pos, hash_move);
  std::vector<Move> picked;
  for (Move m; (m = NextMove(picker)) != 0;) picked.push_back(m);
  return picked;
}

TEST(SortMoves, HighestFirstAndStableForEqualKeys) {
  Move moves[] = {1, 2, 3, 4, 5, 6, 7};
  int16_t keys[] = {5, -3, 5, 10, -3, 5, -32768};
  SortMoves(moves, keys, 7);
  const Move expected[] = {4, 1, 3, 6, 2, 5, 7};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(moves[i], expected[i]) << i;
  for (int i = 0; i + 1 < 7; ++i) EXPECT_GE(keys[i], keys[i + 1]);
  Move one[] = {9};
  int16_t one_key[] = {0};
  SortMoves(one, one_key, 1);
  EXPECT_EQ(one[0], 9);
  SortMoves(one, one_key, 0);
}

TEST(MovePicker, ReturnsEveryLegalMoveExactlyOnceWhateverTheHashMoveAndKillers) {
  for (const char* fen : PICKER_POSITIONS) {
    auto pos = NewGame(fen);
    const std::vector<Move> legal = SortedLegal(*pos);
    // Killers from elsewhere, one of them a capture here, one a legal quiet move.
    std::vector<Move> hash_choices = {0, 0x0FFF, 0x8000 | 0x0123};
    if (!legal.empty()) {
      hash_choices.push_back(legal.front());
      hash_choices.push_back(legal.back());
      main_search.killers[pos->ply][0] = legal[legal.size() / 2];
      main_search.killers[pos->ply][1] = legal.front();
    }
    for (Move hash_move : hash_choices) {
      std::vector<Move> picked = PickAll(*pos, hash_move);
      if (hash_move != 0 && std::binary_search(legal.begin(), legal.end(), hash_move)) {
        EXPECT_EQ(picked.front(), hash_move) << fen;
      }
      std::sort(picked.begin(), picked.end());
      EXPECT_EQ(picked, legal) << fen << " hash " << hash_move;
    }
  }
}

// The split point's move source, once each move has passed the test its
// kind names, hands out the very sequence NextMove gives.
std::vector<Move> SharedPickAll(Position& pos, Move hash_move) {
  MovePicker picker;
  InitPicker(picker, main_search, pos, hash_move);
  std::vector<Move> picked;
  MoveCheck check;
  for (Move m; (m = SharedNextMove(picker, &check)) != 0;) {
    const bool passes = check == MoveCheck::None ||
                        (check == MoveCheck::Valid ? MoveIsValid(pos, m) : MoveIsLegal(pos, m));
    if (passes) picked.push_back(m);
  }
  return picked;
}

TEST(MovePicker, SharedSourceGivesNextMovesSequenceOnceChecked) {
  for (const char* fen : PICKER_POSITIONS) {
    auto pos = NewGame(fen);
    const std::vector<Move> legal = SortedLegal(*pos);
    std::vector<Move> hash_choices = {0, 0x0FFF, 0x8000 | 0x0123};
    if (!legal.empty()) {
      hash_choices.push_back(legal.back());
      main_search.killers[pos->ply][0] = legal[legal.size() / 2];
      main_search.killers[pos->ply][1] = legal.front();
    }
    for (Move hash_move : hash_choices)
      EXPECT_EQ(SharedPickAll(*pos, hash_move), PickAll(*pos, hash_move)) << fen << " hash " << hash_move;
  }
}

// The search loads memory for the peeked move while it searches the one
// before: a legal peeked move must be the very next one handed out.
TEST(MovePicker, PeekNamesTheNextMoveUnlessItIsIllegal) {
  for (const char* fen : PICKER_POSITIONS) {
    auto pos = NewGame(fen);
    const std::vector<Move> legal = SortedLegal(*pos);
    if (!legal.empty()) main_search.killers[pos->ply][0] = legal[legal.size() / 2];
    for (Move hash_move : {Move{0}, legal.empty() ? Move{0} : legal.back()}) {
      MovePicker picker;
      InitPicker(picker, main_search, *pos, hash_move);
      int peeked = 0;
      for (;;) {
        const Move peek = PeekNextMove(picker);
        const Move next = NextMove(picker);
        if (peek != 0) {
          ++peeked;
          if (MoveIsLegal(*pos, peek)) {
            EXPECT_EQ(next, peek) << fen;
          }
        }
        if (next == 0) break;
      }
      if (legal.size() > 2) {
        EXPECT_GT(peeked, 0) << fen;
      }
    }
  }
}

TEST(MovePicker, StagesRunHashCapturesKillersQuietLosing) {
  // White: e4xd5 does not lose; Nc3xd5 and Qd1xd5 lose to e6xd5, the
  // queen more. A quiet hash move comes before all of them.
  auto pos = NewGame("4k3/8/4p3/3p4/4P3/2N5/8/3QK3 w - -");
  const Move hash_move = MoveFromText(*pos, "e1f2");
  const Move killer = MoveFromText(*pos, "c3b5");
  main_search.killers[0][0] = killer;
  main_search.killers[0][1] = MoveFromText(*pos, "c3d5");  // a capture here: not a killer
  const std::vector<Move> picked = PickAll(*pos, hash_move);
  ASSERT_GE(picked.size(), 6u);
  EXPECT_EQ(picked[0], hash_move);
  EXPECT_EQ(picked[1], MoveFromText(*pos, "e4d5"));
  EXPECT_EQ(picked[2], killer);  // killer 1 is a capture here and waits for its stage
  EXPECT_EQ(picked[picked.size() - 2], MoveFromText(*pos, "c3d5"));
  EXPECT_EQ(picked.back(), MoveFromText(*pos, "d1d5"));
  EXPECT_EQ(std::count(picked.begin(), picked.end(), hash_move), 1);
  EXPECT_EQ(std::count(picked.begin(), picked.end(), killer), 1);
}

TEST(MovePicker, InCheckOrdersEvasionsAndReportsASingleReply) {
  auto pos = NewGame("6k1/8/8/8/8/8/6q1/7K w - -");
  MovePicker picker;
  EXPECT_TRUE(InitPicker(picker, main_search, *pos, 0));
  EXPECT_EQ(NextMove(picker), MoveFromText(*pos, "h1g2"));
  EXPECT_EQ(NextMove(picker), 0);
  // Two replies: the king's capture (exchange 1000, nothing recaptures)
  // before the rook's (victim minus attacker, 500).
  auto two = NewGame("6k1/8/8/8/8/8/R5q1/7K w - -");
  EXPECT_FALSE(InitPicker(picker, main_search, *two, 0));
  EXPECT_EQ(NextMove(picker), MoveFromText(*two, "h1g2"));
  EXPECT_EQ(NextMove(picker), MoveFromText(*two, "a2g2"));
  EXPECT_EQ(NextMove(picker), 0);
}

TEST(OrderEvasions, HashCapturesKillersHistoryLosing) {
  auto pos = NewGame("4k3/8/4p3/3p4/4P3/2N5/8/3QK3 w - -");
  ClearSearchMemory();
  const Move quiet_a = MoveFromText(*pos, "d1a4");
  const Move quiet_b = MoveFromText(*pos, "d1b3");
  const Move killer0 = MoveFromText(*pos, "c3b5");
  const Move killer1 = MoveFromText(*pos, "c3a4");
  main_search.killers[0][0] = killer0;
  main_search.killers[0][1] = killer1;
  UpdateKillersAndHistory(main_search, *pos, quiet_b, 3);
  main_search.killers[0][0] = killer0;
  main_search.killers[0][1] = killer1;
  const Move losing = MoveFromText(*pos, "d1d5");
  const Move winning = MoveFromText(*pos, "e4d5");
  const Move hash_move = MoveFromText(*pos, "e1f2");
  Move list[] = {losing, quiet_a, killer1, quiet_b, winning, killer0, hash_move};
  int16_t keys[8];
  OrderEvasions(main_search, *pos, list, keys, 7, hash_move);
  const Move expected[] = {hash_move, winning, killer0, killer1, quiet_b, quiet_a, losing};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list[i], expected[i]) << i;
}

TEST(History, KillersShiftAndHistoryGrowsByDepthSquared) {
  auto pos = NewGame(START_FEN);
  const Move a = MoveFromText(*pos, "g1f3");
  const Move b = MoveFromText(*pos, "e2e4");
  UpdateKillersAndHistory(main_search, *pos, a, 3);
  UpdateKillersAndHistory(main_search, *pos, b, 2);
  EXPECT_EQ(main_search.killers[0][0], b);
  EXPECT_EQ(main_search.killers[0][1], a);
  UpdateKillersAndHistory(main_search, *pos, b, 2);
  EXPECT_EQ(main_search.killers[0][1], a);  // the same move twice leaves killer 1
  EXPECT_EQ(HistoryScore(main_search, *pos, a), 9);
  EXPECT_EQ(HistoryScore(main_search, *pos, b), 8);
}

TEST(History, ReachingTheLimitHalvesEveryCounterRoundingUp) {
  auto pos = NewGame(START_FEN);
  const Move a = MoveFromText(*pos, "g1f3");
  const Move b = MoveFromText(*pos, "b1c3");
  UpdateKillersAndHistory(main_search, *pos, b, 1);  // 1
  for (int i = 0; i < 3; ++i) UpdateKillersAndHistory(main_search, *pos, a, 64);  // 12288
  EXPECT_EQ(HistoryScore(main_search, *pos, a), 12288);
  UpdateKillersAndHistory(main_search, *pos, a, 64);  // 16384: halve
  EXPECT_EQ(HistoryScore(main_search, *pos, a), 8192);
  EXPECT_EQ(HistoryScore(main_search, *pos, b), 1);
}

TEST(History, StatisticsGiveTheCutoffRatio) {
  auto pos = NewGame(START_FEN);
  const Move a = MoveFromText(*pos, "g1f3");
  EXPECT_EQ(HistoryRatio(main_search, *pos, a), 16384);
  RecordTry(main_search, *pos, a);
  EXPECT_EQ(HistoryRatio(main_search, *pos, a), 8192);
  RecordCutoff(main_search, *pos, a);
  EXPECT_EQ(HistoryRatio(main_search, *pos, a), 2 * 16384 / 3);
  for (int i = 0; i < 16381; ++i) RecordTry(main_search, *pos, a);
  // Tries reached 16384 and both counters were halved.
  const uint16_t* pair = main_search.history_stats[HistoryRow(pos->board[MoveFrom(a)])][FromTo(a)];
  EXPECT_EQ(pair[1], 8192);
  EXPECT_EQ(pair[0], 1);
}

TEST(CaptureKey, VictimMinusAttackerOrExchange) {
  auto pos = NewGame("4k3/8/2n1p3/3p4/4P3/8/8/4K3 w - -");
  // Pawn takes a pawn defended by a pawn: exchange value 0.
  EXPECT_EQ(CaptureKey(*pos, MoveFromText(*pos, "e4d5")), 0);
  auto knight = NewGame("4k3/8/4p3/3n4/4P3/8/8/4K3 w - -");
  EXPECT_EQ(CaptureKey(*knight, MoveFromText(*knight, "e4d5")), 220);
}

}  // namespace
