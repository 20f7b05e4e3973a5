// Move text: printing, parsing against the game's legal list, castling
// forms and the order of the appended under-promotions.
#include <gtest/gtest.h>

#include "board/set_position.h"
#include "board_test_support.h"
#include "frontend/game.h"
#include "frontend/move_text.h"

namespace {

void SetGame(const char* fen) {
  board_test::EnsureBoardTables();
  SetPosition(game_position, fen);
  game_length = 0;
  RebuildLegalMoves();
}

Move Promotion(int from, int to, int kind) {
  return static_cast<Move>(MoveWord(from, to) | (kind << 12));
}

TEST(MoveText, PrintsSixCharacters) {
  char text[MOVE_TEXT_SIZE];
  EXPECT_STREQ(MoveToText(MoveWord(12, 28), text), "e2e4  ");
  EXPECT_STREQ(MoveToText(Promotion(48, 56, KNIGHT), text), "a7a8=n");
  EXPECT_STREQ(MoveToText(MoveWord(4, 6), text), "e1g1  ");
  EXPECT_STREQ(MoveToText(static_cast<Move>(MoveWord(36, 43) | EN_PASSANT_FLAG), text), "e5d6  ");
  DecodedMove decoded = DecodeMove(Promotion(52, 60, QUEEN));
  EXPECT_EQ(decoded.from, 52);
  EXPECT_EQ(decoded.to, 60);
  EXPECT_EQ(decoded.letter, 'Q');
  EXPECT_EQ(DecodeMove(MoveWord(1, 2)).letter, 0);
}

TEST(MoveText, ParsesPromotionSpellings) {
  SetGame("7k/4P3/8/8/8/8/8/K7 w - -");
  const Move queen = Promotion(52, 60, QUEEN);
  for (const char* text : {"e7e8q", "e7e8Q", "e7e8=q", "e7e8=Q", "e7e8q+"}) {
    EXPECT_EQ(ParseMove(text), queen) << text;
  }
  EXPECT_EQ(ParseMove("e7e8n"), Promotion(52, 60, KNIGHT));
  EXPECT_EQ(ParseMove("e7e8"), 0);
  EXPECT_EQ(ParseMove("e7e8k"), 0);
  // Not shaped like a move: no match attempted.
  EXPECT_EQ(ParseMove("E7E8Q"), 0);
  EXPECT_EQ(ParseMove("e7e9q"), 0);
  EXPECT_EQ(ParseMove(""), 0);
}

TEST(MoveText, ReadsCastlingForms) {
  SetGame("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  EXPECT_EQ(ParseMove("O-O"), MoveWord(4, 6));
  EXPECT_EQ(ParseMove("0-0"), MoveWord(4, 6));
  EXPECT_EQ(ParseMove("O-O-O"), MoveWord(4, 2));
  EXPECT_EQ(ParseMove("0-0-0+"), MoveWord(4, 2));
  EXPECT_EQ(ParseMove("o-o"), 0);
  EXPECT_EQ(ParseMove("O-0"), 0);
  SetGame("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
  EXPECT_EQ(ParseMove("O-O"), MoveWord(60, 62));
  EXPECT_EQ(ParseMove("O-O-O"), MoveWord(60, 58));
}

TEST(MoveText, UnderPromotionsAreAppendedFromTheLastPromotion) {
  // b7-b8 and b7xa8 both promote: the queen moves stay in place and the
  // other kinds follow, those of the capture (the later move) first.
  SetGame("r6k/1P6/8/8/8/8/8/7K w - -");
  std::vector<Move> promotions;
  for (int i = 0; i < legal_count; i++) {
    if (MovePromotion(legal_moves[i]) != 0) promotions.push_back(legal_moves[i]);
  }
  const std::vector<Move> expected = {
      Promotion(49, 57, QUEEN), Promotion(49, 56, QUEEN),
      Promotion(49, 56, ROOK),  Promotion(49, 56, BISHOP), Promotion(49, 56, KNIGHT),
      Promotion(49, 57, ROOK),  Promotion(49, 57, BISHOP), Promotion(49, 57, KNIGHT)};
  EXPECT_EQ(promotions, expected);
  EXPECT_EQ(legal_moves[legal_count - 1], Promotion(49, 57, KNIGHT));
}

TEST(MoveText, RefusedPositionAcceptsNoMove) {
  SetGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_NE(ParseMove("e2e4"), 0);
  RefuseGamePosition();
  EXPECT_EQ(ParseMove("e2e4"), 0);
  NewGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  RebuildLegalMoves();
  EXPECT_NE(ParseMove("e2e4"), 0);
}

}  // namespace
