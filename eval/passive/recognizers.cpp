// The one-pawn rules and the recognizer table with its endings.
#include "eval/passive/recognizers.h"

#include <cstdint>

#include "board/attacks.h"
#include "eval/eval_geometry.h"

namespace passive {

namespace {

// Squares of the turned board.
constexpr int A7 = 48, B7 = 49, C7 = 50, D7 = 51, E7 = 52, G7 = 54, H7 = 55;
constexpr int A8 = 56, B8 = 57, C8 = 58, D8 = 59, E8 = 60;

// Squares of the colour of sq (a1 dark).
Bitboard ColourOf(int sq) { return ((sq >> 3) & 1) ^ (sq & 1) ? LIGHT_SQUARES : DARK_SQUARES; }

// The pawn's squares ahead on its file, up to promotion.
Bitboard PathOf(int side, int sq) { return front_span[sq][side] & FileMask(FileOf(sq)); }

int PromotionSquare(int side, int sq) { return side == WHITE ? 56 + FileOf(sq) : FileOf(sq); }

// Lowers a scale, never raises it.
void LowerTo(int& scale, int value) {
  if (value < scale) scale = value;
}

// Rules for side c with its lowest pawn p against the enemy king e.
void SidePawnRules(const Position& pos, int c, uint8_t flags, int& scale) {
  const Bitboard pawns = pos.bitboards[PAWN][c];
  if (!pawns) return;
  const int p = FirstBit(pawns);
  const int e = pos.king_square[c ^ 1];
  const bool passed = !(pos.bitboards[PAWN][c ^ 1] & front_span[p][c]);
  const Bitboard bishops = pos.bitboards[BISHOP][c];
  const bool king_ahead = FileOf(e) == FileOf(p) && RelativeRank(c, e) > RelativeRank(c, p);
  if ((flags & PAWN_AND_BISHOPS) && passed && (FileOf(p) == 0 || FileOf(p) == 7)) {
    const int promotion = PromotionSquare(c, p);
    if (KingDistance(e, promotion) <= 1 && !(bishops & ColourOf(promotion))) LowerTo(scale, 0);
  }
  if ((flags & PAWN_AND_BISHOP_VS_PIECE) && passed && king_ahead && !(bishops & ColourOf(e)))
    LowerTo(scale, 1);
  if ((flags & PAWN_AND_KNIGHT_VS_PIECE) && king_ahead && RelativeRank(c, p) <= 5) LowerTo(scale, 1);
}

// Arguments of a table function.
struct Ending {
  const Position& pos;
  int pawn_side;
  const TurnedList& list;
  bool pawn_side_to_move;
};

// The piece of the other side, on its untouched square, guards or stands
// on the pawn's path to promotion.
bool PieceBarsPath(const Ending& x, int kind) {
  const Position& pos = x.pos;
  const int defender = x.pawn_side ^ 1;
  const Bitboard path = PathOf(x.pawn_side, FirstBit(pos.bitboards[PAWN][x.pawn_side]));
  const int piece = FirstBit(pos.bitboards[kind][defender]);
  const Bitboard reach = kind == KNIGHT ? knight_attacks[piece] : BishopAttacks(pos, piece);
  return ((reach | Bit(piece)) & path) != 0;
}

bool KnightAgainstPawn(const Ending& x) { return PieceBarsPath(x, KNIGHT); }
bool BishopAgainstPawn(const Ending& x) { return PieceBarsPath(x, BISHOP); }

// Bishops of opposite colours, the defender's on or guarding the path.
bool BishopPawnAgainstBishop(const Ending& x) {
  const Position& pos = x.pos;
  const int own = FirstBit(pos.bitboards[BISHOP][x.pawn_side]);
  const int other = FirstBit(pos.bitboards[BISHOP][x.pawn_side ^ 1]);
  if (SquareColour(own) == SquareColour(other)) return false;
  return PieceBarsPath(x, BISHOP);
}

// List: Kp, N, P, Kd.
bool KnightPawnAgainstKing(const Ending& x) {
  const int* s = x.list.squares;
  return s[2] == A7 && KingDistance(s[3], A8) <= 1;
}

// List: Kp, P, Kr, R; the pawn side defends.
bool RookAgainstPawn(const Ending& x) {
  const int* s = x.list.squares;
  const int kp = s[0], p = s[1], kr = s[2], r = s[3];
  const int q = 56 + FileOf(p);
  if (KingDistance(kp, p) != 1) {
    if (KingDistance(kp, p) != 2 || RankDistance(kp, p) > 1) return false;
    if (!x.pawn_side_to_move && FileOf(r) != (FileOf(kp) + FileOf(p)) / 2) return false;
  }
  int t = KingDistance(p, q) + KingDistance(kp, q) + (kp == q ? 1 : 0);
  if (kp == p + 8) {
    if (FileOf(p) == 0) return false;
    t += 1;
  }
  const int rook_off = (FileOf(r) != FileOf(p) && RankOf(r) != 7) ? 1 : 0;
  return KingDistance(kr, q) > t - rook_off - (x.pawn_side_to_move ? 1 : 0);
}

// The pawn on c7 is pinned to its king along a rank or a diagonal by the
// queen (turned squares).
bool PawnPinned(int kp, int p, int kq, int qn) {
  const int d = direction[kp][p];
  if (d == 0 || d == 8 || d == -8 || direction[kp][qn] != d) return false;
  if (KingDistance(kp, qn) <= KingDistance(kp, p)) return false;
  return !(between[p][qn] & Bit(kq)) && !(between[kp][p] & (Bit(kq) | Bit(qn)));
}

// List: Kp, P, Kq, Qn; the pawn side defends.
bool QueenAgainstPawn(const Ending& x) {
  const int* s = x.list.squares;
  const int kp = s[0], p = s[1], kq = s[2], qn = s[3];
  const bool ptm = x.pawn_side_to_move;
  const bool m = !ptm && FileOf(qn) != 1;
  int limit;
  if (p == A7) {
    if (kp == B7 || kp == B8) limit = ptm ? 3 : 4;
    else if (kp == A8 || ((kp == C7 || kp == C8) && qn != A8)) {
      if (m) return false;
      limit = 4;
    } else return false;
    return KingDistance(kq, A8) > limit;
  }
  if (p == C7) {
    const bool pinned = PawnPinned(kp, p, kq, qn);
    if (kp == C8) limit = ptm ? 4 : 5;
    else if (kp == B7 || kp == B8) limit = (pinned ? 4 : 3) - (ptm ? 1 : 0);
    else if (kp == D7 || kp == D8) limit = (pinned ? 5 : 4) - (ptm ? 1 : 0);
    else if ((kp == A7 || kp == A8) && qn != C8) {
      if (m) return false;
      limit = 3;
    } else if ((kp == E7 || kp == E8) && qn != C8) {
      if (!ptm && FileOf(qn) != 3) return false;
      limit = 4;
    } else return false;
    return KingDistance(kq, C8) > limit;
  }
  return false;
}

// List: Kp, Rp, P, Kd, Rd; the pawn side attacks.
bool RookPawnAgainstRook(const Ending& x) {
  const int* s = x.list.squares;
  const int kp = s[0], rp = s[1], p = s[2], kd = s[3], rd = s[4];
  const int q = 56 + FileOf(p);
  if (kd == q) return FileOf(rd) > FileOf(p);
  if (FileOf(kd) == FileOf(p) && RankOf(kd) > RankOf(p)) return true;
  if (rp != q || RankOf(p) != 6 || (kd != G7 && kd != H7) || FileOf(rd) != FileOf(p)) return false;
  return KingDistance(kp, p) > (RankOf(rd) >= 3 ? 2 : 1);
}

// One row of the table: the ending with the pawn side Black, then White.
struct Recognizer {
  uint32_t signature[2];
  bool (*draw)(const Ending&);
  bool turned;
};

constexpr Recognizer RECOGNIZERS[] = {
    {{0x20000001, 0x00012000}, QueenAgainstPawn, true},
    {{0x04000001, 0x00010400}, RookAgainstPawn, true},
    {{0x00800001, 0x00010080}, BishopAgainstPawn, false},
    {{0x00100001, 0x00010010}, KnightAgainstPawn, false},
    {{0x00000011, 0x00110000}, KnightPawnAgainstKing, true},
    {{0x04000401, 0x04010400}, RookPawnAgainstRook, true},
    {{0x00800081, 0x00810080}, BishopPawnAgainstBishop, false},
    {{0, 0}, nullptr, false},
};

// Appends side's king, then its pieces from queen down to pawn.
void AppendSide(const Position& pos, int side, TurnedList& list) {
  list.squares[list.count++] = pos.king_square[side];
  for (int kind = QUEEN; kind >= PAWN; --kind)
    for (Bitboard b = pos.bitboards[kind][side]; b; b &= b - 1) list.squares[list.count++] = FirstBit(b);
}

}  // namespace

void ApplyPawnRules(const Position& pos, const MaterialEntry& entry, int scale[2]) {
  for (int side = BLACK; side <= WHITE; ++side) SidePawnRules(pos, side, entry.flags[side], scale[side]);
}

TurnedList TurnedSquares(const Position& pos, int pawn_side) {
  TurnedList list{};
  AppendSide(pos, pawn_side, list);
  AppendSide(pos, pawn_side ^ 1, list);
  const Bitboard pawns = pos.bitboards[PAWN][pawn_side];
  const int turn = (pawns && FileOf(FirstBit(pawns)) >= 4 ? 7 : 0) ^ (pawn_side == BLACK ? 56 : 0);
  for (int i = 0; i < list.count; ++i) list.squares[i] ^= turn;
  list.squares[list.count] = -1;
  return list;
}

bool RecognizerTableDraw(const Position& pos) {
  const Bitboard white = pos.bitboards[PAWN][WHITE], black = pos.bitboards[PAWN][BLACK];
  if ((white != 0) == (black != 0)) return false;
  const int pawn_side = white ? WHITE : BLACK;
  const int count = BitCount(white | black);
  if (count != 1 && count != 2 && count != 4 && count != 8) return false;
  for (const Recognizer* r = RECOGNIZERS; r->draw; ++r) {
    if (pos.material != r->signature[0] && pos.material != r->signature[1]) continue;
    const TurnedList list = r->turned ? TurnedSquares(pos, pawn_side) : TurnedList{};
    return r->draw({pos, pawn_side, list, pos.side == pawn_side});
  }
  return false;
}

}  // namespace passive
