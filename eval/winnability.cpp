// Winnability flags and the bare-king stalemate test.
#include <initializer_list>
#include "eval/winnability.h"

#include "board/attacks.h"
#include "eval/eval_geometry.h"

namespace {

inline constexpr Bitboard ROOK_FILES = FileMask(0) | FileMask(7);
inline constexpr Bitboard FILES_B_TO_G = FilesMask(1, 6);

// Flag bit of a side.
int CanWinBit(int side) { return side == WHITE ? WHITE_CAN_WIN : BLACK_CAN_WIN; }

// The side's most advanced pawn (pawns must exist).
int MostAdvancedPawn(int side, Bitboard pawns) {
  return side == WHITE ? LastBit(pawns) : FirstBit(pawns);
}

// A side whose pawns all stand on the rook files, with under 4 units of
// pieces: can it still win? Pawns on both rook files, a knight, or a bishop
// that controls the promotion corner keep the chances; otherwise the
// defending king must not already be near the corner.
bool RookPawnsKeepChances(const Position& pos, const MaterialInfo& mi, int side) {
  const int enemy = side ^ 1;
  const Bitboard pawns = pos.bitboards[PAWN][side];
  const int material = mi.piece_material[side];
  const bool a_pawn = pawns & FileMask(0);
  const bool h_pawn = pawns & FileMask(7);
  if (mi.knights[side] && material == 3) return true;
  if (material == 0 && a_pawn && h_pawn) return true;
  const int promotion_rank = side == WHITE ? 7 : 0;
  const Bitboard own_bishops = pos.bitboards[BISHOP][side];
  const Bitboard enemy_bishops = pos.bitboards[BISHOP][enemy];
  for (int file : {0, 7}) {
    if (!(pawns & FileMask(file))) continue;
    const Bitboard corner_colour = SameColourSquares(SquareOf(file, promotion_rank));
    if ((own_bishops & corner_colour) && !(enemy_bishops & corner_colour)) return true;
  }
  if (a_pawn && h_pawn) return true;
  const int corner = SquareOf(a_pawn ? 0 : 7, promotion_rank);
  const int s = pos.side == side ? 1 : 0;
  const int d = KingDistance(pos.king_square[enemy], corner);
  const int own_king = KingDistance(pos.king_square[side], corner);
  const int pawn = KingDistance(MostAdvancedPawn(side, pawns), corner);
  return d > 1 && (d >= own_king - s || d > pawn - s);
}

// Flags after the rules that need no pawn placement (steps on equal and
// exchange-type major balances); 0 means nobody can win.
int MajorBalanceFlags(const MaterialInfo& mi) {
  int flags = BOTH_CAN_WIN;
  const int minor_diff = mi.minors[WHITE] - mi.minors[BLACK];
  if (mi.majors[WHITE] == mi.majors[BLACK]) {
    if (!mi.pawns[WHITE] && minor_diff == 1) flags = BLACK_CAN_WIN;
    if (!mi.pawns[BLACK] && minor_diff == -1) flags &= ~BLACK_CAN_WIN;
  } else if (mi.majors[WHITE] - mi.majors[BLACK] == -minor_diff) {
    if (!mi.pawns[BLACK]) flags &= ~BLACK_CAN_WIN;
    if (!mi.pawns[WHITE]) flags &= ~WHITE_CAN_WIN;
  }
  return flags;
}

// A side with two minors and no pawns against one minor cannot win, except
// with two bishops against a knight; two knights cannot mate a bare king.
int MinorEndingFlags(const MaterialInfo& mi, int flags) {
  for (int side : {WHITE, BLACK}) {
    const int enemy = side ^ 1;
    if (!mi.pawns[side] && mi.piece_material[side] == 6 && mi.piece_material[enemy] == 3) {
      if (mi.knights[side] || !mi.knights[enemy]) flags &= ~CanWinBit(side);
      break;
    }
  }
  for (int side : {WHITE, BLACK}) {
    const int enemy = side ^ 1;
    if (!mi.pawns[side] && mi.piece_material[side] == 6 && !mi.bishops[side] &&
        mi.piece_material[enemy] == 0 && !mi.pawns[enemy])
      flags &= ~CanWinBit(side);
  }
  return flags;
}

}  // namespace

int WinnabilityFlags(const Position& pos, const MaterialInfo& mi) {
  int flags = MajorBalanceFlags(mi);
  if (flags == 0) return 0;
  if (mi.piece_material[WHITE] == 0 && mi.piece_material[BLACK] == 0 &&
      (pos.bitboards[PAWN][WHITE] & FILES_B_TO_G) && (pos.bitboards[PAWN][BLACK] & FILES_B_TO_G))
    return flags;
  for (int side : {BLACK, WHITE}) {
    if (mi.piece_material[side] != 0) continue;
    if (mi.pawns[side] == 0 || (mi.pawns[side] == 1 && mi.piece_material[side ^ 1] != 0))
      flags &= ~CanWinBit(side);
  }
  for (int side : {WHITE, BLACK}) {
    const Bitboard pawns = pos.bitboards[PAWN][side];
    if (pawns && !(pawns & ~ROOK_FILES) && mi.piece_material[side] < 4 &&
        !RookPawnsKeepChances(pos, mi, side))
      flags &= ~CanWinBit(side);
  }
  if (mi.pawns[WHITE] && mi.pawns[BLACK]) return flags;
  return MinorEndingFlags(mi, flags);
}

namespace {

// Squares from which the enemy king holds an edge king in opposition.
Bitboard OppositionSquares(int king) {
  const int file = FileOf(king), rank = RankOf(king);
  Bitboard squares = 0;
  if (rank == 0 || rank == 7) {
    const int toward = rank == 0 ? 2 : -2;
    squares |= Bit(SquareOf(file, rank + toward));
    if (file == 0) squares |= Bit(SquareOf(1, rank + toward));
    if (file == 7) squares |= Bit(SquareOf(6, rank + toward));
  }
  if (file == 0 || file == 7) {
    const int toward = file == 0 ? 1 : -1;
    squares |= Bit(SquareOf(file + 2 * toward, rank));
    if (rank == 0) squares |= Bit(SquareOf(file + 2 * toward, 1));
    if (rank == 7) squares |= Bit(SquareOf(file + 2 * toward, 6));
  }
  return squares;
}

// The king's neighbours along the edge(s) it stands on.
Bitboard EdgeFlightSquares(int king) {
  const int file = FileOf(king), rank = RankOf(king);
  Bitboard squares = 0;
  if (rank == 0 || rank == 7) {
    if (file > 0) squares |= Bit(king - 1);
    if (file < 7) squares |= Bit(king + 1);
  }
  if (file == 0 || file == 7) {
    if (rank > 0) squares |= Bit(king - 8);
    if (rank < 7) squares |= Bit(king + 8);
  }
  return squares;
}

}  // namespace

bool BareKingStalemate(const Position& pos) {
  const int side = pos.side;
  const int king = pos.king_square[side];
  if (pos.bitboards[ALL_PIECES][side] != Bit(king) || pos.state.in_check) return false;
  if (!(OppositionSquares(king) & Bit(pos.king_square[side ^ 1]))) return false;
  Bitboard flights = EdgeFlightSquares(king);
  if (!flights) return false;  // not on an edge
  for (; flights; flights &= flights - 1)
    if (!SquareAttacked(pos, FirstBit(flights), side ^ 1)) return false;
  return true;
}
