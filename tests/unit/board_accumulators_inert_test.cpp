// Inert builds: the piece-square sums, material units and material index
// follow every make and unmake and equal their sums over the board.
#include <gtest/gtest.h>

#include "board_test_support.h"

namespace {

using board_test::LegalMoves;
using board_test::FilledPairTable;
using board_test::PositionFrom;

void ExpectSums(const Position& pos) {
  int mid = 0, end = 0, units = 0;
  uint32_t index = 0;
  for (int sq = 0; sq < 64; ++sq) {
    const int code = pos.board[sq];
    if (!code) continue;
    mid += psq_pair[code][sq].mid;
    end += psq_pair[code][sq].end;
    units += INERT_UNIT[code];
    index += INERT_WEIGHT[code];
  }
  ASSERT_EQ(pos.pst_mid, static_cast<int16_t>(mid)) << board_test::FenOf(pos);
  ASSERT_EQ(pos.pst_end, static_cast<int16_t>(end)) << board_test::FenOf(pos);
  ASSERT_EQ(pos.material_units, units) << board_test::FenOf(pos);
  ASSERT_EQ(pos.material_index, index) << board_test::FenOf(pos);
}

TEST(InertAccumulators, StartPositionMaterial) {
  // Balanced units; the largest index of the material table.
  EXPECT_EQ(PositionFrom(START_FEN)->material_units, 0);
  EXPECT_EQ(PositionFrom(START_FEN)->material_index, 236195u);
  EXPECT_EQ(PositionFrom("4k3/8/8/8/8/8/8/Q3K3 w - -")->material_units, 10);
  EXPECT_EQ(PositionFrom("4k3/8/8/8/8/8/8/Q3K3 w - -")->material_index, 1u);
}

TEST(InertAccumulators, RandomGamesMatchTheBoard) {
  FilledPairTable table;
  board_test::RandomGamesThereAndBack(31, 100, [](const Position& pos) { ExpectSums(pos); });
}

}  // namespace
