// Pieces shut in by pawns or by their own king: bishops on the enemy's
// edge squares, bishops behind their own blocked centre pawns, and rooks
// in the corner the king has walked into.
#include "eval/passive/passive_terms.h"

namespace passive {

namespace {

// Squares as White sees them; Black reads them turned top to bottom.
constexpr int A1 = 0, B1 = 1, C1 = 2, F1 = 5, G1 = 6, H1 = 7, A2 = 8, D2 = 11, E2 = 12, H2 = 15;
constexpr int D3 = 19, E3 = 20, B5 = 33, G5 = 38, A6 = 40, G6 = 46, H6 = 47;
constexpr int A7 = 48, C7 = 50, F7 = 53, H7 = 55, B6 = 41, B8 = 57, G8 = 62;

constexpr Pair SHUT_IN = {-100, -100};
constexpr Pair HEMMED = {-50, -50};
constexpr Pair BLOCKED = {-50, 0};

// One side's trapped and blocked pieces, its own view.
Pair SideTrapped(const Position& pos, int side) {
  const int enemy = side ^ 1;
  const int turn = side == WHITE ? 0 : 56;
  auto has = [&](int kind, int owner, int sq) { return pos.board[sq ^ turn] == PieceCode(owner, kind); };
  auto bishop = [&](int sq) { return has(BISHOP, side, sq); };
  auto enemy_pawn = [&](int sq) { return has(PAWN, enemy, sq); };
  auto own_pawn = [&](int sq) { return has(PAWN, side, sq); };
  auto rook = [&](int sq) { return has(ROOK, side, sq); };
  const int king = pos.king_square[side] ^ turn;

  Pair score;
  if ((bishop(A7) && enemy_pawn(B6)) || (bishop(B8) && enemy_pawn(C7))) score += SHUT_IN;
  if ((bishop(H7) && enemy_pawn(G6)) || (bishop(G8) && enemy_pawn(F7))) score += SHUT_IN;
  if (bishop(A6) && enemy_pawn(B5)) score += HEMMED;
  if (bishop(H6) && enemy_pawn(G5)) score += HEMMED;
  if (bishop(C1) && own_pawn(D2) && pos.board[D3 ^ turn]) score += BLOCKED;
  if (bishop(F1) && own_pawn(E2) && pos.board[E3 ^ turn]) score += BLOCKED;
  if ((king == B1 || king == C1) && (rook(A1) || rook(B1) || rook(A2))) score += BLOCKED;
  if ((king == F1 || king == G1) && (rook(G1) || rook(H1) || rook(H2))) score += BLOCKED;
  return score;
}

}  // namespace

Pair TrappedPieces(const Position& pos) { return SideTrapped(pos, WHITE) - SideTrapped(pos, BLACK); }

}  // namespace passive
