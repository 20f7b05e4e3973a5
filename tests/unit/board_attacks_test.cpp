// Attack tables, rotated layouts, attack and pin queries, exchange estimate.
#include <gtest/gtest.h>

#include <string>

#include "board/exchange.h"
#include "board_test_support.h"

namespace {

using board_test::EnsureBoardTables;
using board_test::PositionFrom;

// a1h8_shift and h1a8_shift, rank 8 at the top.
constexpr uint8_t A1H8_SHIFT[64] = {
    1,  2,  4,  7,  11, 16, 22, 29,
    2,  4,  7,  11, 16, 22, 29, 37,
    4,  7,  11, 16, 22, 29, 37, 44,
    7,  11, 16, 22, 29, 37, 44, 50,
    11, 16, 22, 29, 37, 44, 50, 55,
    16, 22, 29, 37, 44, 50, 55, 59,
    22, 29, 37, 44, 50, 55, 59, 62,
    29, 37, 44, 50, 55, 59, 62, 64,
};
constexpr uint8_t H1A8_SHIFT[64] = {
    29, 22, 16, 11, 7,  4,  2,  1,
    37, 29, 22, 16, 11, 7,  4,  2,
    44, 37, 29, 22, 16, 11, 7,  4,
    50, 44, 37, 29, 22, 16, 11, 7,
    55, 50, 44, 37, 29, 22, 16, 11,
    59, 55, 50, 44, 37, 29, 22, 16,
    62, 59, 55, 50, 44, 37, 29, 22,
    64, 62, 59, 55, 50, 44, 37, 29,
};

int Square(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// A move word from text, legal or not, with the flags a generator would set.
Move WordOf(const Position& pos, const char* text) {
  const int from = Square(text), to = Square(text + 2);
  Move move = MoveWord(from, to);
  if (text[4]) move |= static_cast<Move>((std::string(" pnbrqk").find(text[4])) << 12);
  if (KindOf(pos.board[from]) == PAWN && FileOf(from) != FileOf(to) && pos.board[to] == 0)
    move |= EN_PASSANT_FLAG;
  return move;
}

Bitboard Squares(std::initializer_list<const char*> names) {
  Bitboard set = 0;
  for (const char* name : names) set |= 1ULL << Square(name);
  return set;
}

// Squares reached from sq by walking each step until a blocker, the slow way.
Bitboard WalkedAttacks(int sq, Bitboard occ, std::initializer_list<std::pair<int, int>> steps) {
  Bitboard set = 0;
  for (const auto& [df, dr] : steps) {
    int file = FileOf(sq) + df, rank = RankOf(sq) + dr;
    while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
      set |= 1ULL << SquareOf(file, rank);
      if (occ & (1ULL << SquareOf(file, rank))) break;
      file += df;
      rank += dr;
    }
  }
  return set;
}

TEST(AttackTables, ShiftTablesAndRotatedLayouts) {
  EnsureBoardTables();
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      const int sq = SquareOf(file, 7 - row);
      EXPECT_EQ(a1h8_shift[sq], A1H8_SHIFT[row * 8 + file]) << "square " << sq;
      EXPECT_EQ(h1a8_shift[sq], H1A8_SHIFT[row * 8 + file]) << "square " << sq;
    }
  // Corners and the long diagonals in each layout.
  EXPECT_EQ(a1h8_bit[Square("h1")], 1ULL << 63);
  EXPECT_EQ(a1h8_bit[Square("a8")], 1ULL << 0);
  EXPECT_EQ(a1h8_bit[Square("a1")], 1ULL << 35);
  EXPECT_EQ(a1h8_bit[Square("h8")], 1ULL << 28);
  EXPECT_EQ(h1a8_bit[Square("a1")], 1ULL << 63);
  EXPECT_EQ(h1a8_bit[Square("a8")], 1ULL << 35);
  EXPECT_EQ(h1a8_bit[Square("h1")], 1ULL << 28);
  EXPECT_EQ(file_bit[Square("a8")], 1ULL << 0);
  EXPECT_EQ(file_bit[Square("a1")], 1ULL << 7);
  EXPECT_EQ(file_bit[Square("h1")], 1ULL << 63);
  Bitboard all_a1h8 = 0, all_h1a8 = 0, all_files = 0;
  for (int sq = 0; sq < 64; ++sq) {
    all_a1h8 |= a1h8_bit[sq];
    all_h1a8 |= h1a8_bit[sq];
    all_files |= file_bit[sq];
  }
  EXPECT_EQ(all_a1h8, ~0ULL);
  EXPECT_EQ(all_h1a8, ~0ULL);
  EXPECT_EQ(all_files, ~0ULL);
}

TEST(AttackTables, LinesAndLeapers) {
  EnsureBoardTables();
  EXPECT_EQ(between[Square("a1")][Square("b3")], ~0ULL);
  EXPECT_EQ(between[Square("e4")][Square("e5")], 0u);
  EXPECT_EQ(between[Square("a1")][Square("h8")], Squares({"b2", "c3", "d4", "e5", "f6", "g7"}));
  EXPECT_EQ(direction[Square("e1")][Square("e8")], 8);
  EXPECT_EQ(direction[Square("h1")][Square("a8")], 7);
  EXPECT_EQ(direction[Square("a1")][Square("b3")], 0);
  EXPECT_EQ(ep_neighbours[Square("e4")], Squares({"d4", "f4"}));
  EXPECT_EQ(ep_neighbours[Square("a5")], Squares({"b5"}));
  EXPECT_EQ(ep_neighbours[Square("e3")], 0u);
  EXPECT_EQ(pawn_attacks[Square("a2")][WHITE], Squares({"b3"}));
  EXPECT_EQ(pawn_attacks[Square("e7")][BLACK], Squares({"d6", "f6"}));
  EXPECT_EQ(knight_attacks[Square("a1")], Squares({"b3", "c2"}));
  EXPECT_EQ(BitCount(king_attacks[Square("e4")]), 8);
  EXPECT_EQ(front_span[Square("a2")][WHITE], (FILE_A | FILE_A << 1) & ~(RANK_1 | RANK_2));
  EXPECT_EQ(adjacent_files[Square("h5")], FILE_A << 6);
  EXPECT_EQ(distance[Square("a1")][Square("h5")], 7);
  EXPECT_EQ(first_bit8[0], 8);
  EXPECT_EQ(last_bit8[0], 8);
  EXPECT_EQ(first_bit8[0x90], 4);
  EXPECT_EQ(last_bit8[0x90], 7);
}

TEST(AttackTables, SliderLookUpsMatchWalkingTheRays) {
  // Random boards of pawns: every square's look-ups against a slow walk.
  board_test::Lcg random{12345};
  for (int trial = 0; trial < 200; ++trial) {
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
      for (int file = 0; file < 8; ++file) fen += random.Next(3) == 0 ? 'P' : '1';
      if (rank) fen += '/';
    }
    auto pos = PositionFrom(fen.c_str());
    const Bitboard occ = Occupancy(*pos);
    for (int sq = 0; sq < 64; ++sq) {
      ASSERT_EQ(RookAttacks(*pos, sq), WalkedAttacks(sq, occ, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}))
          << fen << " square " << sq;
      ASSERT_EQ(BishopAttacks(*pos, sq), WalkedAttacks(sq, occ, {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}}))
          << fen << " square " << sq;
    }
  }
}

TEST(AttackTables, RookAndBishopEdgeCases) {
  auto pos = PositionFrom("8/8/8/8/8/8/8/R7 w - -");
  EXPECT_EQ(RookAttacks(*pos, Square("a1")), (RANK_1 | FILE_A) & ~1ULL);
  pos = PositionFrom("8/8/8/8/8/8/8/R2n4 w - -");
  EXPECT_EQ(RookAttacks(*pos, Square("a1")) & RANK_1, Squares({"b1", "c1", "d1"}));
  // Bishops in the corners only see their one long diagonal.
  pos = PositionFrom("B6B/8/8/8/8/8/8/B6B w - -");
  EXPECT_EQ(BishopAttacks(*pos, Square("h1")), Squares({"g2", "f3", "e4", "d5", "c6", "b7", "a8"}));
  EXPECT_EQ(BishopAttacks(*pos, Square("a1")), Squares({"b2", "c3", "d4", "e5", "f6", "g7", "h8"}));
  EXPECT_EQ(BishopAttacks(*pos, Square("a8")), Squares({"b7", "c6", "d5", "e4", "f3", "g2", "h1"}));
}

TEST(AttackQueries, AttackersAndTheSquareBehindTheKing) {
  auto pos = PositionFrom("4k3/8/8/8/4K3/8/8/4r3 w - -");
  EXPECT_TRUE(SquareAttacked(*pos, Square("e3"), BLACK));
  // The king's own square still blocks the rook: e5 reads as not attacked.
  EXPECT_FALSE(SquareAttacked(*pos, Square("e5"), BLACK));
  pos = PositionFrom("4k3/8/8/3p4/4N3/8/B7/4K3 w - -");
  EXPECT_EQ(AttackersOf(*pos, Square("d5"), WHITE), Squares({"a2"}));
  EXPECT_EQ(AllAttackers(*pos, Square("e4")), Squares({"d5"}));
  EXPECT_EQ(AllAttackers(*pos, Square("c4")), Squares({"a2", "d5"}));
}

TEST(AttackQueries, PinsAndUncovering) {
  // White: king e1, knight e2 pinned by the rook on e8; bishop d2 free.
  auto pos = PositionFrom("4r1k1/8/8/8/8/8/3BN3/4K3 w - -");
  EXPECT_TRUE(IsPinned(*pos, Square("e2")));
  EXPECT_FALSE(IsPinned(*pos, Square("d2")));
  EXPECT_TRUE(ExposesKing(*pos, Square("e2"), Square("c3"), WHITE, Square("e1")));
  // A rook pinned on the file may move along it.
  pos = PositionFrom("4r1k1/8/8/8/8/8/4R3/4K3 w - -");
  EXPECT_FALSE(ExposesKing(*pos, Square("e2"), Square("e5"), WHITE, Square("e1")));
  EXPECT_FALSE(ExposesKing(*pos, Square("e2"), Square("e8"), WHITE, Square("e1")));
  EXPECT_TRUE(ExposesKing(*pos, Square("e2"), Square("d2"), WHITE, Square("e1")));
  // En passant taking both pawns off the king's rank.
  pos = PositionFrom("4k3/8/8/1K1Pp1r1/8/8/8/8 w - e6");
  EXPECT_TRUE(EpExposesKing(*pos, Square("d5"), Square("e6"), WHITE, WHITE, Square("b5")));
  pos = PositionFrom("4k3/8/8/1K1Pp1n1/8/8/8/8 w - e6");
  EXPECT_FALSE(EpExposesKing(*pos, Square("d5"), Square("e6"), WHITE, WHITE, Square("b5")));
  // En passant removing a pawn from a diagonal to the king.
  pos = PositionFrom("7K/8/8/2k5/3Pp3/8/8/6B1 b - d3");
  EXPECT_TRUE(EpExposesKing(*pos, Square("e4"), Square("d3"), BLACK, BLACK, Square("c5")));
  pos = PositionFrom("7K/8/8/2k5/3Pp3/8/8/6N1 b - d3");
  EXPECT_FALSE(EpExposesKing(*pos, Square("e4"), Square("d3"), BLACK, BLACK, Square("c5")));
}

struct ExchangeCase {
  const char* fen;
  const char* move;
  int value;
};

TEST(ExchangeValue, HandCheckedExchanges) {
  const ExchangeCase cases[] = {
      // Pawn takes a defended knight: stops after the recapture.
      {"4k3/8/4p3/3n4/4P3/8/8/4K3 w - -", "e4d5", 220},
      // Queen takes a pawn defended by a pawn.
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - -", "d1d5", -900},
      // Doubled rooks win a pawn defended by one rook: the x-ray joins.
      {"3r3k/8/8/3p4/8/8/3R4/3RK3 w - -", "d2d5", 100},
      // En passant counts a pawn; a defended one is an even trade.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6", 100},
      {"4k3/2p5/8/3pP3/8/8/8/4K3 w - d6", "e5d6", 0},
      // Promotions gain their difference; a recapture takes the queen back.
      {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8q", 900},
      {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8n", 220},
      {"1r2k3/P7/8/8/8/8/8/4K3 w - -", "a7a8q", -100},
      // A king capturing into a defended square loses the king's value.
      {"4k3/8/8/8/2p5/3p4/4K3/8 w - -", "e2d3", -9900},
      // An undefended rook taken by a bishop.
      {"4k3/8/8/8/8/2r5/8/B3K3 w - -", "a1c3", 500},
  };
  for (const ExchangeCase& c : cases) {
    auto pos = PositionFrom(c.fen);
    EXPECT_EQ(ExchangeValue(*pos, WordOf(*pos, c.move)), c.value) << c.fen << " " << c.move;
  }
}

}  // namespace
