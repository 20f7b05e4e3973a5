// Passive builds: the piece-square sums and the phase count follow every
// make and unmake and equal their sums over the board.
#include <gtest/gtest.h>

#include "board_test_support.h"

namespace {

using board_test::LegalMoves;
using board_test::FilledPairTable;
using board_test::PositionFrom;

void ExpectSums(const Position& pos) {
  int mid = 0, end = 0, phase = 24;
  for (int sq = 0; sq < 64; ++sq) {
    const int code = pos.board[sq];
    if (!code) continue;
    mid += psq_pair[code][sq].mid;
    end += psq_pair[code][sq].end;
    phase -= PHASE_WEIGHT[KindOf(code)];
  }
  ASSERT_EQ(pos.pst_mid, static_cast<int16_t>(mid)) << board_test::FenOf(pos);
  ASSERT_EQ(pos.pst_end, static_cast<int16_t>(end)) << board_test::FenOf(pos);
  ASSERT_EQ(pos.state.phase_count, phase) << board_test::FenOf(pos);
}

TEST(PassiveAccumulators, StartPositionPhaseIsZero) {
  EXPECT_EQ(PositionFrom(START_FEN)->state.phase_count, 0);
  EXPECT_EQ(PositionFrom("4k3/8/8/8/8/8/8/4K3 w - -")->state.phase_count, 24);
}

TEST(PassiveAccumulators, RandomGamesMatchTheBoard) {
  FilledPairTable table;
  board_test::RandomGamesThereAndBack(31, 100, [](const Position& pos) { ExpectSums(pos); });
}

}  // namespace
