#include "frontend/move_text.h"

#include <cstring>

#include "frontend/console.h"
#include "frontend/game.h"

namespace {

// Promotion letters indexed by promotion kind.
constexpr char PROMOTION_LETTERS[] = " PNBRQK ";

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Replaces a castling form at the start of `text` by the king's move.
void ExpandCastling(char* text, int side) {
  const bool white = side == WHITE;
  if (strncmp(text, "0-0-0", 5) == 0 || strncmp(text, "O-O-O", 5) == 0) {
    memcpy(text, white ? "e1c1" : "e8c8", 4);
    text[4] = 0;
  } else if (strncmp(text, "0-0", 3) == 0 || strncmp(text, "O-O", 3) == 0) {
    memcpy(text, white ? "e1g1" : "e8g8", 4);
    text[4] = 0;
  }
}

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }

// The promotion character the text asks for, lower case; 0 for none.
char PromotionCharacter(const char* text) {
  char c = text[4] == '=' ? text[5] : text[4];
  if (static_cast<signed char>(c) <= 32) return 0;
  return ToLower(c);
}

char MovePromotionLetter(Move move) {
  int kind = MovePromotion(move);
  return kind == 0 ? 0 : ToLower(PROMOTION_LETTERS[kind]);
}

}  // namespace

DecodedMove DecodeMove(Move move) {
  int kind = MovePromotion(move);
  return {MoveFrom(move), MoveTo(move), kind == 0 ? '\0' : PROMOTION_LETTERS[kind]};
}

char* MoveToText(Move move, char* text) {
  DecodedMove decoded = DecodeMove(move);
  text[0] = static_cast<char>('a' + FileOf(decoded.from));
  text[1] = static_cast<char>('1' + RankOf(decoded.from));
  text[2] = static_cast<char>('a' + FileOf(decoded.to));
  text[3] = static_cast<char>('1' + RankOf(decoded.to));
  text[4] = ' ';
  text[5] = ' ';
  if (decoded.letter != 0) {
    text[4] = '=';
    text[5] = ToLower(decoded.letter);
  }
  text[6] = 0;
  return text;
}

Move ParseMove(const char* input) {
  // A scratch copy the size of the line buffer, so castling can be expanded.
  char text[LINE_BUFFER_SIZE];
  strncpy(text, input, sizeof text - 1);
  text[sizeof text - 1] = 0;
  ExpandCastling(text, game_position.side);
  if (!IsFile(text[0]) || !IsRank(text[1]) || !IsFile(text[2]) || !IsRank(text[3])) return 0;
  const int from = (text[0] - 'a') + 8 * (text[1] - '1');
  const int to = (text[2] - 'a') + 8 * (text[3] - '1');
  const char promotion = PromotionCharacter(text);
  if (GamePositionIsPlayable()) {
    for (int i = 0; i < legal_count; i++) {
      Move move = legal_moves[i];
      if (MoveFrom(move) == from && MoveTo(move) == to && MovePromotionLetter(move) == promotion) {
        return move;
      }
    }
  }
  PrintFormatted("Illegal move: %s\n", input);
  return 0;
}
