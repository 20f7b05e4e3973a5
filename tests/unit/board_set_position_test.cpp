// Position set-up from text: the fields it reads, its leniency, and that no
// text can make it write outside the record or leave views out of step.
#include <gtest/gtest.h>

#include "board_test_support.h"

namespace {

using board_test::FenOf;
using board_test::KeyFromScratch;
using board_test::PositionFrom;

TEST(SetPosition, StartPosition) {
  auto pos = PositionFrom(START_FEN);
  EXPECT_EQ(pos->material, 0x29282928u);
  EXPECT_EQ(pos->piece_count[BLACK], 7);
  EXPECT_EQ(pos->piece_count[WHITE], 7);
  EXPECT_EQ(pos->king_square[BLACK], 60);
  EXPECT_EQ(pos->king_square[WHITE], 4);
  EXPECT_EQ(pos->state.castling, 15);
  EXPECT_EQ(pos->state.ep_square, -1);
  EXPECT_EQ(pos->state.capture_square, -1);
  EXPECT_EQ(pos->state.in_check, 0);
  EXPECT_EQ(pos->side, WHITE);
  EXPECT_EQ(pos->game_ply, 0);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  EXPECT_TRUE(PositionIsPlayable(*pos));
  // Knights out and back: the same key.
  board_test::Line line;
  for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) line.Play(*pos, move);
  EXPECT_EQ(pos->key, PositionFrom(START_FEN)->key);
}

TEST(SetPosition, FieldsAndDefaults) {
  auto pos = PositionFrom("8/8/8/8/8/8/8/K6k w - -");
  EXPECT_EQ(pos->side, WHITE);
  EXPECT_EQ(pos->state.castling, 0);
  EXPECT_EQ(pos->state.ep_square, -1);
  pos = PositionFrom("8/8/8/8/8/8/8/K6k");
  EXPECT_EQ(pos->side, BLACK);
  pos = PositionFrom("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
  EXPECT_EQ(pos->state.ep_square, 44);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  EXPECT_EQ(pos->state.fifty_clock, 0);
  // Castling letters only in the order K, Q, k, q; the scan stops at the K.
  pos = PositionFrom("r3k2r/8/8/8/8/8/8/R3K2R w kqKQ e3");
  EXPECT_EQ(pos->state.castling, BLACK_KING_SIDE | BLACK_QUEEN_SIDE);
  EXPECT_EQ(pos->state.ep_square, -1);
  // Digits 9 and 0 are ignored; a minus sign is one empty square.
  pos = PositionFrom("4k3/8/8/8/8/8/8/9-0K6 w - -");
  EXPECT_EQ(pos->board[1], PieceCode(WHITE, KING));
  // Leading white space and stray characters.
  pos = PositionFrom(" \t\n4k3/8/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(pos->king_square[WHITE], 4);
  EXPECT_EQ(pos->side, WHITE);
}

TEST(SetPosition, OverlongRanksDropTheirExtraSquares) {
  // Ranks with more than eight squares never spill into the next rank.
  auto pos = PositionFrom("4k3/8/8/8/8/8/8/4K3PPPPPPPPPP w - -");
  EXPECT_EQ(BitCount(Occupancy(*pos)), 2);
  pos = PositionFrom("4k3/8/8/8/8/8/88888888Q/4K3 w - -");
  EXPECT_EQ(pos->bitboards[QUEEN][WHITE], 0u);
  EXPECT_EQ(pos->king_square[WHITE], 4);
  pos = PositionFrom("rnbqkbnrrnbqkbnr/8/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(pos->bitboards[ALL_PIECES][BLACK], RANK_8);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  // More slashes than ranks end the board field.
  pos = PositionFrom("4k3/8/8/8/8/8/8/4K3/Q/Q w");
  EXPECT_EQ(pos->bitboards[QUEEN][WHITE], 0u);
}

TEST(SetPosition, ImplausibleCastlingAndEnPassantAreDropped) {
  // Rights without king and rook at home would castle pieces out of nothing.
  auto pos = PositionFrom("4k3/8/8/8/8/8/8/3K3R w KQkq -");
  EXPECT_EQ(pos->state.castling, 0);
  pos = PositionFrom("r3k3/8/8/8/8/8/8/4K2R w KQkq -");
  EXPECT_EQ(pos->state.castling, WHITE_KING_SIDE | BLACK_QUEEN_SIDE);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  // An en-passant square with no pawn that could just have passed it.
  pos = PositionFrom("4k3/8/8/8/8/8/3P4/4K3 w - e3");
  EXPECT_EQ(pos->state.ep_square, -1);
  pos = PositionFrom("4k3/8/8/4P3/8/8/8/4K3 w - e6");
  EXPECT_EQ(pos->state.ep_square, -1);
  // A plausible one stays, whether or not any pawn can take there.
  pos = PositionFrom("4k3/8/8/4p3/8/8/8/4K3 w - e6");
  EXPECT_EQ(pos->state.ep_square, 44);
}

TEST(SetPosition, PlayablePositions) {
  EXPECT_TRUE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/8/4K3 w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("8/8/8/8/8/8/8/4K3 w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/8/4K2K w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/8/4R2K w - -")));  // Black in check, White to move
  EXPECT_TRUE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/8/4R2K b - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("P3k3/8/8/8/8/8/8/4K3 w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/8/p3K3 w - -")));
  // Two checkers can happen, three cannot.
  EXPECT_TRUE(PositionIsPlayable(*PositionFrom("k7/4r3/8/8/8/3n4/8/4K3 w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("k7/4r3/8/8/7b/3n4/8/4K3 w - -")));
  // Counts up to the signature's fields are accepted, beyond them refused.
  EXPECT_TRUE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/N7/NNNNK1NN w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("4k3/8/8/8/8/8/NN6/NNNNK1NN w - -")));
  EXPECT_TRUE(PositionIsPlayable(*PositionFrom("k7/8/PPPPPPPP/PPPPPPP1/8/8/8/4K3 w - -")));
  EXPECT_FALSE(PositionIsPlayable(*PositionFrom("k7/8/PPPPPPPP/PPPPPPPP/8/8/8/4K3 w - -")));
}

TEST(SetPosition, ArbitraryBytesNeverBreakTheRecord) {
  // Random texts over a biased alphabet: set-up keeps every view in step
  // and the record's neighbours untouched.
  board_test::EnsureBoardTables();
  const char alphabet[] = "pnbrqkPNBRQK12345678/-w KQkqabcdefgh0 9\t\x80\xff";
  board_test::Lcg random{7};
  struct Guarded {
    uint64_t before[4];
    Position pos;
    uint64_t after[4];
  };
  auto guarded = std::make_unique<Guarded>();
  for (auto& word : guarded->before) word = 0x5A5A5A5A5A5A5A5AULL;
  for (auto& word : guarded->after) word = 0x5A5A5A5A5A5A5A5AULL;
  auto fresh = std::make_unique<Position>();
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    const uint32_t length = random.Next(120);
    for (uint32_t i = 0; i < length; ++i) text += alphabet[random.Next(sizeof alphabet - 1)];
    SetPosition(guarded->pos, text.c_str());
    const Position& pos = guarded->pos;
    ASSERT_EQ(pos.key, KeyFromScratch(pos)) << text;
    ASSERT_EQ(pos.bitboards[ALL_PIECES][0] & pos.bitboards[ALL_PIECES][1], 0u) << text;
    Bitboard from_board = 0;
    for (int sq = 0; sq < 64; ++sq)
      if (pos.board[sq]) from_board |= 1ULL << sq;
    ASSERT_EQ(from_board, Occupancy(pos)) << text;
    if (PositionIsPlayable(pos)) {
      SetPosition(*fresh, FenOf(pos).c_str());
      board_test::ExpectSameViews(pos, *fresh);
      Move moves[MAX_MOVES];
      BuildLegalMoves(pos, moves);
    }
  }
  for (auto word : guarded->before) EXPECT_EQ(word, 0x5A5A5A5A5A5A5A5AULL);
  for (auto word : guarded->after) EXPECT_EQ(word, 0x5A5A5A5A5A5A5A5AULL);
}

}  // namespace
