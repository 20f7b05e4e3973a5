#include "tools/book/san_move.h"

#include <cctype>
#include <cstring>

#include "board/legal_moves.h"
#include "board/movegen.h"

namespace {

// What the text says about the move; -1 where it says nothing.
struct SanParts {
  int kind = PAWN;
  int from_file = -1;
  int from_rank = -1;
  int to = -1;
  int promotion = 0;
};

// strchr finds the terminating zero too; a zero byte is in no set here.
bool IsOneOf(char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }

// Knight, bishop, rook, queen, king: kinds 2..6 in this order.
constexpr char PIECE_NAMES[] = "NBRQK";

// The kind an upper-case piece letter names, or 0.
int KindOfLetter(char letter) {
  const char* found = IsOneOf(letter, PIECE_NAMES) ? std::strchr(PIECE_NAMES, letter) : nullptr;
  return found != nullptr ? KNIGHT + static_cast<int>(found - PIECE_NAMES) : 0;
}

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }

// The text without the marks that may follow a move.
std::string WithoutSuffix(std::string text) {
  while (!text.empty() && IsOneOf(text.back(), "+#!?")) text.pop_back();
  return text;
}

// Castling in either spelling becomes the king's two-file move.
bool ReadCastling(const std::string& text, int side, SanParts& parts) {
  const int home = side == WHITE ? 4 : 60;
  if (text == "O-O" || text == "0-0") {
    parts = {KING, FileOf(home), RankOf(home), home + 2, 0};
    return true;
  }
  if (text == "O-O-O" || text == "0-0-0") {
    parts = {KING, FileOf(home), RankOf(home), home - 2, 0};
    return true;
  }
  return false;
}

// Piece letter, origin hints, an optional "x", the destination square and
// an optional promotion; also plain coordinates.
bool ReadParts(std::string text, SanParts& parts) {
  size_t at = 0;
  if (KindOfLetter(text[0]) != 0) {
    parts.kind = KindOfLetter(text[0]);
    at = 1;
  }
  // A promotion letter after the destination rank or "=" ends the text
  // (e8=Q, e8Q, and e7e8q in coordinates).
  if (text.size() >= 3 && IsOneOf(text.back(), "NBRQnbrq") &&
      (text[text.size() - 2] == '=' || IsRank(text[text.size() - 2]))) {
    if (parts.kind != PAWN) return false;
    parts.promotion = KindOfLetter(static_cast<char>(std::toupper(text.back())));
    text.pop_back();
    if (text.back() == '=') text.pop_back();
  }
  std::string rest;
  for (size_t i = at; i < text.size(); ++i)
    if (text[i] != 'x' && text[i] != '-' && text[i] != ':') rest += text[i];
  if (rest.size() < 2 || rest.size() > 4) return false;
  const size_t to_at = rest.size() - 2;
  if (!IsFile(rest[to_at]) || !IsRank(rest[to_at + 1])) return false;
  parts.to = SquareOf(rest[to_at] - 'a', rest[to_at + 1] - '1');
  for (size_t i = 0; i < to_at; ++i) {
    if (IsFile(rest[i]) && parts.from_file < 0 && parts.from_rank < 0) {
      parts.from_file = rest[i] - 'a';
    } else if (IsRank(rest[i]) && parts.from_rank < 0) {
      parts.from_rank = rest[i] - '1';
    } else {
      return false;
    }
  }
  return true;
}

bool Matches(const Position& pos, Move move, const SanParts& parts) {
  const int from = MoveFrom(move);
  if (MoveTo(move) != parts.to || MovePromotion(move) != parts.promotion) return false;
  if (parts.from_file >= 0 && FileOf(from) != parts.from_file) return false;
  if (parts.from_rank >= 0 && RankOf(from) != parts.from_rank) return false;
  // Coordinates name the origin fully, so they need not name the piece.
  const bool both_given = parts.from_file >= 0 && parts.from_rank >= 0;
  return both_given && parts.kind == PAWN ? true : KindOf(pos.board[from]) == parts.kind;
}

}  // namespace

Move MoveFromSan(const Position& pos, const std::string& san) {
  const std::string text = WithoutSuffix(san);
  if (text.empty()) return 0;
  SanParts parts;
  if (!ReadCastling(text, pos.side, parts) && !ReadParts(text, parts)) return 0;
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  Move found = 0;
  for (int i = 0; i < count; ++i) {
    if (!Matches(pos, moves[i], parts)) continue;
    if (found != 0) return 0;  // ambiguous
    found = moves[i];
  }
  return found;
}
