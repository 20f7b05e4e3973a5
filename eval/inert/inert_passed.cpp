// Passed pawns: a bonus by rank, the path to promotion against defending
// pieces, the race against a bare king, and both kings' distances.
#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/inert_terms.h"

namespace inert {
namespace {

// The side's most advanced pawn on a file, -1 when there is none (a file
// set from another structure that shares the cache entry's key bits).
int LeadingPawn(const Position& pos, int side, int file) {
  const Bitboard pawns = pos.bitboards[PAWN][side] & FileMask(file);
  if (!pawns) return -1;
  return side == WHITE ? LastBit(pawns) : FirstBit(pawns);
}

// One passer's terms for its owner.
Tapered PasserTerms(const Position& pos, int side, int sq, const PieceAttacks& attacks) {
  const int enemy = side ^ 1;
  const int r = RelativeRank(side, sq);
  const Bitboard path = RayFrom(pawn_step[side], sq);
  Tapered own;
  own.Add(PassedMid[r], PassedEnd[r]);
  if (pos.piece_count[enemy] > 0) {
    if (!(pos.bitboards[ALL_PIECES][side] & path)) own.Add(0, PassedOwnPathFree[r]);
    if (!(pos.bitboards[ALL_PIECES][enemy] & path)) own.Add(0, PassedEnemyPathFree[r]);
    if (!(path & attacks.attacked[enemy] & ~attacks.attacked[side])) own.Add(0, PassedPathSafe[r]);
  } else if (WinsRace(pos, side, sq)) {
    own.Add(0, UnstoppablePasser);
  }
  const int front = sq + pawn_step[side];
  own.Add(0, PassedEnemyKing[r] * distance[pos.king_square[enemy]][front] -
                 PassedOwnKing[r] * distance[pos.king_square[side]][front]);
  return own;
}

}  // namespace

bool WinsRace(const Position& pos, int side, int sq) {
  const int enemy = side ^ 1;
  const int r = RelativeRank(side, sq);
  // From its first move a pawn on its second rank steps twice.
  int steps = r == 1 ? 5 : 7 - r;
  // Its own king standing in front costs it a tempo to step aside.
  if (RayFrom(pawn_step[side], sq) & Bit(pos.king_square[side])) ++steps;
  const int promotion = SquareOf(FileOf(sq), side == WHITE ? 7 : 0);
  int king_moves = distance[pos.king_square[enemy]][promotion];
  if (pos.side == enemy) --king_moves;
  return steps < king_moves;
}

Tapered PassedPawnTerms(const Position& pos, const InertPawnInfo& pawns, const PieceAttacks& attacks) {
  Tapered total;
  for (int side = BLACK; side <= WHITE; ++side) {
    const int sign = side == WHITE ? 1 : -1;
    for (int files = pawns.passed_files[side]; files; files &= files - 1) {
      const int sq = LeadingPawn(pos, side, __builtin_ctz(files));
      if (sq < 0) continue;
      const Tapered own = PasserTerms(pos, side, sq, attacks);
      total.Add(sign * own.mid, sign * own.end);
    }
  }
  return total;
}

}  // namespace inert
