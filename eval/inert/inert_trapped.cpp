// Bishops trapped on the enemy's side of the board by a pawn, and pieces
// shut in behind their own men. White's patterns; Black's are the same
// turned top to bottom.
#include "eval/eval_geometry.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/inert_terms.h"

namespace inert {
namespace {

// Squares a1 = 0 .. h8 = 63, named for the patterns below.
enum : int8_t {
  A1 = 0, B1 = 1, C1 = 2, F1 = 5, G1 = 6, H1 = 7, A2 = 8, D2 = 11, E2 = 12, H2 = 15,
  D3 = 19, E3 = 20, G5 = 38, B5 = 33, A6 = 40, B6 = 41, H6 = 47, G6 = 46,
  A7 = 48, C7 = 50, F7 = 53, H7 = 55, B8 = 57, G8 = 62,
};

// A White bishop on the first square with a Black pawn on the second; the
// queen-side group is tried first, the king-side one only when it fails.
struct TrapPattern {
  int8_t bishop, pawn;
};
constexpr TrapPattern TRAPS_QUEEN_SIDE[3] = {{A6, B5}, {A7, B6}, {B8, C7}};
constexpr TrapPattern TRAPS_KING_SIDE[3] = {{H6, G5}, {H7, G6}, {G8, F7}};

// A White bishop behind its own centre pawn with any man in front of it.
struct BlockedBishop {
  int8_t bishop, pawn, blocker;
};
constexpr BlockedBishop BLOCKED_BISHOPS[2] = {{C1, D2, D3}, {F1, E2, E3}};

// A White king that has walked toward a corner without castling, shutting
// in its rook.
struct BlockedRook {
  int8_t king_squares[2];
  int8_t rook_squares[3];
};
constexpr BlockedRook BLOCKED_ROOKS[2] = {{{B1, C1}, {A1, B1, A2}}, {{F1, G1}, {G1, H1, H2}}};

// A White pattern square read for the side.
int For(int side, int sq) { return side == WHITE ? sq : sq ^ 56; }

// The pattern square, read from the side's view, holds a man of owner.
bool Holds(const Position& pos, int side, int white_sq, int owner, int kind) {
  return pos.board[For(side, white_sq)] == PieceCode(owner, kind);
}

bool Trapped(const Position& pos, int side, const TrapPattern (&group)[3]) {
  for (const TrapPattern& t : group)
    if (Holds(pos, side, t.bishop, side, BISHOP) && Holds(pos, side, t.pawn, side ^ 1, PAWN)) return true;
  return false;
}

// The side's penalty (midgame, endgame) as a positive amount.
Tapered Penalty(const Position& pos, int side) {
  Tapered pen;
  if (Trapped(pos, side, TRAPS_QUEEN_SIDE) || Trapped(pos, side, TRAPS_KING_SIDE))
    pen.Add(TrappedBishop, TrappedBishop);
  for (const BlockedBishop& b : BLOCKED_BISHOPS)
    if (Holds(pos, side, b.bishop, side, BISHOP) && Holds(pos, side, b.pawn, side, PAWN) && pos.board[For(side, b.blocker)])
      pen.Add(BlockedPiece, 0);
  for (const BlockedRook& b : BLOCKED_ROOKS) {
    const int king = pos.king_square[side];
    if (king != For(side, b.king_squares[0]) && king != For(side, b.king_squares[1])) continue;
    for (int rook : b.rook_squares) {
      if (Holds(pos, side, rook, side, ROOK)) {
        pen.Add(BlockedPiece, 0);
        break;
      }
    }
  }
  return pen;
}

}  // namespace

Tapered TrappedAndBlocked(const Position& pos) {
  const Tapered white = Penalty(pos, WHITE), black = Penalty(pos, BLACK);
  Tapered total;
  total.Add(black.mid - white.mid, black.end - white.end);
  return total;
}

}  // namespace inert
