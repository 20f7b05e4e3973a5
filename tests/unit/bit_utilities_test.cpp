// Bit utilities and the position record's fixed layout.
#include <gtest/gtest.h>

#include <cstddef>

#include "board/bitboard.h"
#include "board/position.h"

namespace {

TEST(BitUtilities, CountsAndSingleBits) {
  EXPECT_FALSE(SingleBit(0));
  EXPECT_FALSE(SeveralBits(0));
  EXPECT_TRUE(SingleBit(1ULL << 63));
  EXPECT_FALSE(SeveralBits(1ULL << 40));
  EXPECT_TRUE(SeveralBits(0x8000000000000001ULL));
  EXPECT_FALSE(SeveralBits8(0x80));
  EXPECT_TRUE(SeveralBits8(0x81));
  EXPECT_EQ(BitCount(0), 0);
  EXPECT_EQ(BitCount(~0ULL), 64);
  EXPECT_EQ(BitCount(0xF0F0F0F00000000FULL), 20);
  EXPECT_EQ(FirstBit(0x8000000000000100ULL), 8);
  EXPECT_EQ(LastBit(0x8000000000000100ULL), 63);
  EXPECT_EQ(FirstBit(1), 0);
  EXPECT_EQ(LastBit(1), 0);
}

TEST(BitUtilities, MoveWords) {
  // A knight promotion a7-a8 and the four castling words.
  Move promotion = static_cast<Move>(MoveWord(48, 56) | (KNIGHT << 12));
  EXPECT_EQ(promotion, 0x2C38);
  EXPECT_EQ(MovePromotion(promotion), KNIGHT);
  EXPECT_EQ(MoveWord(4, 6), 0x0106);
  EXPECT_EQ(MoveWord(4, 2), 0x0102);
  EXPECT_EQ(MoveWord(60, 62), 0x0F3E);
  EXPECT_EQ(MoveWord(60, 58), 0x0F3A);
  Move en_passant = static_cast<Move>(MoveWord(36, 43) | EN_PASSANT_FLAG);
  EXPECT_LT(static_cast<int16_t>(en_passant), 0);
  EXPECT_TRUE(MoveIsEnPassant(en_passant));
  EXPECT_EQ(MoveFrom(en_passant), 36);
  EXPECT_EQ(MoveTo(en_passant), 43);
}

TEST(BitUtilities, MaterialSignatureOfTheStartPosition) {
  uint32_t material = 0;
  for (int side = BLACK; side <= WHITE; side++) {
    material += 8 * MaterialUnit(side, PAWN) + 2 * MaterialUnit(side, KNIGHT) +
                2 * MaterialUnit(side, BISHOP) + 2 * MaterialUnit(side, ROOK) +
                MaterialUnit(side, QUEEN);
  }
  EXPECT_EQ(material, 0x29282928u);
}

TEST(BitUtilities, PieceLetters) {
  EXPECT_EQ(PIECE_LETTERS[PieceCode(WHITE, KING)], 'K');
  EXPECT_EQ(PIECE_LETTERS[PieceCode(BLACK, PAWN)], 'p');
  EXPECT_EQ(SideOf(PieceCode(WHITE, QUEEN)), WHITE);
  EXPECT_EQ(KindOf(PieceCode(BLACK, ROOK)), ROOK);
  EXPECT_EQ(sizeof(PositionState), 8u);
}

}  // namespace
