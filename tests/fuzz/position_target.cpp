// Any text to SetPosition and PositionIsPlayable. For a playable position
// the real generator, MakeMove and UnmakeMove are held against a plain
// legal-move tree built here from the board array alone: the legal move
// lists must match, perft 2 must match, every made position must keep its
// bitboards and key in step with its board, and every unmake must give
// back the whole record.
#include <algorithm>
#include <cstring>
#include <vector>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The plain position: board, side, castling rights, en-passant square.
struct PlainBoard {
  int8_t square[64];
  int side;
  uint8_t castling;
  int ep;
};

PlainBoard PlainOf(const Position& pos) {
  PlainBoard plain;
  std::memcpy(plain.square, pos.board, sizeof plain.square);
  plain.side = pos.side;
  plain.castling = pos.state.castling;
  plain.ep = pos.state.ep_square;
  return plain;
}

bool OnBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

constexpr int KNIGHT_STEPS[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int KING_STEPS[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int ROOK_LINES[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_LINES[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

// The piece code on (file, rank), or -1 off the board.
int At(const PlainBoard& b, int file, int rank) {
  return OnBoard(file, rank) ? b.square[SquareOf(file, rank)] : -1;
}

// Whether side `by` attacks sq, looking outward from sq.
bool Attacked(const PlainBoard& b, int sq, int by) {
  const int f = FileOf(sq), r = RankOf(sq);
  const int pawn_rank = r - (by == WHITE ? 1 : -1);
  for (int df : {-1, 1})
    if (At(b, f + df, pawn_rank) == PieceCode(by, PAWN)) return true;
  for (const auto& s : KNIGHT_STEPS)
    if (At(b, f + s[0], r + s[1]) == PieceCode(by, KNIGHT)) return true;
  for (const auto& s : KING_STEPS)
    if (At(b, f + s[0], r + s[1]) == PieceCode(by, KING)) return true;
  for (int line = 0; line < 8; ++line) {
    const int* d = line < 4 ? ROOK_LINES[line] : BISHOP_LINES[line - 4];
    const int slider = line < 4 ? ROOK : BISHOP;
    for (int k = 1;; ++k) {
      const int code = At(b, f + k * d[0], r + k * d[1]);
      if (code < 0) break;
      if (code == 0) continue;
      if (code == PieceCode(by, slider) || code == PieceCode(by, QUEEN)) return true;
      break;
    }
  }
  return false;
}

int KingSquare(const PlainBoard& b, int side) {
  for (int sq = 0; sq < 64; ++sq)
    if (b.square[sq] == PieceCode(side, KING)) return sq;
  return -1;
}

// The board after a move, with rights and en-passant square updated.
PlainBoard Play(const PlainBoard& b, Move move) {
  PlainBoard next = b;
  const int from = MoveFrom(move), to = MoveTo(move);
  const int code = b.square[from];
  next.square[to] = static_cast<int8_t>(code);
  next.square[from] = 0;
  if (MoveIsEnPassant(move)) next.square[SquareOf(FileOf(to), RankOf(from))] = 0;
  if (MovePromotion(move) != 0) next.square[to] = static_cast<int8_t>(PieceCode(b.side, MovePromotion(move)));
  if (KindOf(code) == KING && std::abs(to - from) == 2) {
    const int rook_from = to > from ? from + 3 : from - 4;
    const int rook_to = to > from ? from + 1 : from - 1;
    next.square[rook_to] = next.square[rook_from];
    next.square[rook_from] = 0;
  }
  // Rights go with any move from or to a king's or a rook's home square.
  for (int sq : {from, to}) {
    if (sq == 4) next.castling &= ~(WHITE_KING_SIDE | WHITE_QUEEN_SIDE);
    if (sq == 7) next.castling &= ~WHITE_KING_SIDE;
    if (sq == 0) next.castling &= ~WHITE_QUEEN_SIDE;
    if (sq == 60) next.castling &= ~(BLACK_KING_SIDE | BLACK_QUEEN_SIDE);
    if (sq == 63) next.castling &= ~BLACK_KING_SIDE;
    if (sq == 56) next.castling &= ~BLACK_QUEEN_SIDE;
  }
  next.ep = KindOf(code) == PAWN && std::abs(to - from) == 16 ? (from + to) / 2 : -1;
  next.side = b.side ^ 1;
  return next;
}

void AddPawnMove(std::vector<Move>& moves, int from, int to, bool promotes) {
  if (!promotes) {
    moves.push_back(MoveWord(from, to));
    return;
  }
  for (int kind = KNIGHT; kind <= QUEEN; ++kind) moves.push_back(static_cast<Move>(MoveWord(from, to) | kind << 12));
}

void PawnMoves(const PlainBoard& b, int sq, std::vector<Move>& moves) {
  const int f = FileOf(sq), r = RankOf(sq);
  const int dir = b.side == WHITE ? 1 : -1;
  const int last = b.side == WHITE ? 7 : 0;
  const int start = b.side == WHITE ? 1 : 6;
  if (At(b, f, r + dir) == 0) {
    AddPawnMove(moves, sq, SquareOf(f, r + dir), r + dir == last);
    if (r == start && At(b, f, r + 2 * dir) == 0) moves.push_back(MoveWord(sq, SquareOf(f, r + 2 * dir)));
  }
  for (int df : {-1, 1}) {
    const int code = At(b, f + df, r + dir);
    if (code <= 0) {
      if (code == 0 && SquareOf(f + df, r + dir) == b.ep)
        moves.push_back(static_cast<Move>(MoveWord(sq, b.ep) | EN_PASSANT_FLAG));
      continue;
    }
    if (SideOf(code) != b.side) AddPawnMove(moves, sq, SquareOf(f + df, r + dir), r + dir == last);
  }
}

void StepMoves(const PlainBoard& b, int sq, const int (*steps)[2], int count, bool slide, std::vector<Move>& moves) {
  for (int i = 0; i < count; ++i) {
    for (int k = 1;; ++k) {
      const int f = FileOf(sq) + k * steps[i][0], r = RankOf(sq) + k * steps[i][1];
      const int code = At(b, f, r);
      if (code < 0) break;
      if (code == 0 || SideOf(code) != b.side) moves.push_back(MoveWord(sq, SquareOf(f, r)));
      if (code != 0 || !slide) break;
    }
  }
}

void CastlingMoves(const PlainBoard& b, std::vector<Move>& moves) {
  const int home = b.side == WHITE ? 4 : 60;
  const uint8_t king_side = b.side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
  const uint8_t queen_side = b.side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
  const int them = b.side ^ 1;
  if (Attacked(b, home, them)) return;
  if ((b.castling & king_side) && b.square[home + 1] == 0 && b.square[home + 2] == 0 &&
      !Attacked(b, home + 1, them) && !Attacked(b, home + 2, them))
    moves.push_back(MoveWord(home, home + 2));
  if ((b.castling & queen_side) && b.square[home - 1] == 0 && b.square[home - 2] == 0 &&
      b.square[home - 3] == 0 && !Attacked(b, home - 1, them) && !Attacked(b, home - 2, them))
    moves.push_back(MoveWord(home, home - 2));
}

// Every legal move: pseudo-legal moves that leave the own king safe.
std::vector<Move> PlainLegalMoves(const PlainBoard& b) {
  std::vector<Move> pseudo;
  for (int sq = 0; sq < 64; ++sq) {
    const int code = b.square[sq];
    if (code == 0 || SideOf(code) != b.side) continue;
    switch (KindOf(code)) {
      case PAWN: PawnMoves(b, sq, pseudo); break;
      case KNIGHT: StepMoves(b, sq, KNIGHT_STEPS, 8, false, pseudo); break;
      case BISHOP: StepMoves(b, sq, BISHOP_LINES, 4, true, pseudo); break;
      case ROOK: StepMoves(b, sq, ROOK_LINES, 4, true, pseudo); break;
      case QUEEN:
        StepMoves(b, sq, BISHOP_LINES, 4, true, pseudo);
        StepMoves(b, sq, ROOK_LINES, 4, true, pseudo);
        break;
      case KING: StepMoves(b, sq, KING_STEPS, 8, false, pseudo); break;
    }
  }
  CastlingMoves(b, pseudo);
  std::vector<Move> legal;
  for (Move move : pseudo) {
    const PlainBoard next = Play(b, move);
    if (!Attacked(next, KingSquare(next, b.side), next.side)) legal.push_back(move);
  }
  return legal;
}

// The record with the move counter taken out, which make counts up.
bool SameRecord(const Position& a, const Position& b) {
  static Position left, right;
  left = a;
  right = b;
  left.nodes = right.nodes = 0;
  return std::memcmp(&left, &right, sizeof left) == 0;
}

std::vector<Move> Sorted(std::vector<Move> moves) {
  std::sort(moves.begin(), moves.end());
  return moves;
}

// The real legal list of pos, checked against the plain one.
std::vector<Move> RealLegalMoves(const Position& pos) {
  Move list[MAX_MOVES];
  const int count = BuildLegalMoves(pos, list);
  FuzzCheck(count >= 0 && count < MAX_MOVES && list[count] == 0, "legal list length");
  std::vector<Move> moves(list, list + count);
  FuzzCheck(Sorted(moves) == Sorted(PlainLegalMoves(PlainOf(pos))), "legal moves differ from the plain tree");
  return moves;
}

Position root;
Position before_move;

// Perft 2 on the real position, checking every node on the way.
uint64_t RealPerft2(Position& pos) {
  uint64_t leaves = 0;
  for (Move move : RealLegalMoves(pos)) {
    UndoRecord undo;
    SaveState(pos, undo);
    // SaveState records the key in the history; unmake gives back the rest.
    before_move = pos;
    MakeMove(pos, undo, move, -1);
    CheckPositionViews(pos, "bitboards or key out of step after a move");
    leaves += RealLegalMoves(pos).size();
    UnmakeMove(pos, undo, move);
    FuzzCheck(SameRecord(pos, before_move), "unmake did not restore the position");
  }
  return leaves;
}

uint64_t PlainPerft2(const PlainBoard& b) {
  uint64_t leaves = 0;
  for (Move move : PlainLegalMoves(b)) leaves += PlainLegalMoves(Play(b, move)).size();
  return leaves;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrepareEngine();
  const std::string text = TextOf(data, size);
  SetPosition(root, text.c_str());
  if (!PositionIsPlayable(root)) return 0;
  CheckPositionViews(root, "bitboards or key out of step after set-up");
  const uint64_t plain = PlainPerft2(PlainOf(root));
  FuzzCheck(RealPerft2(root) == plain, "perft 2 differs from the plain tree");
  return 0;
}
