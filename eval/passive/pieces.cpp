// Queens, rooks, bishops and knights: mobility in the squares enemy pawns
// do not guard, open files, the seventh rank, queen nearness to the enemy
// king, and knights supported by pawns.
#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/passive/passive_tables.h"
#include "eval/passive/passive_terms.h"

namespace passive {

namespace {

constexpr Pair QUEEN_SEVENTH = {10, 20};
constexpr Pair ROOK_SEVENTH = {20, 40};
constexpr Pair ROOK_BEHIND_OWN_PAWN = {-10, -10};
constexpr Pair ROOK_OPEN_FILE = {10, 10};
constexpr int ROOK_NEAR_EXPOSED_KING = 10;

// What one side's pieces see of the position.
struct SideView {
  const TermInput& in;
  int side;
  int enemy;
  Bitboard area;  // squares not guarded by enemy pawns nor held by own pieces
  int enemy_king;
};

// On the seventh rank with enemy pawns there or the enemy king on its
// back rank.
bool OnSeventh(const SideView& v, int sq) {
  if (RelativeRank(v.side, sq) != 6) return false;
  const Position& pos = v.in.pos;
  return (pos.bitboards[PAWN][v.enemy] & RankMask(RankOf(sq))) || RelativeRank(v.side, v.enemy_king) == 7;
}

Pair Queens(const SideView& v) {
  Pair score;
  for (Bitboard b = v.in.pos.bitboards[QUEEN][v.side]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    const int m = BitCount(QueenAttacks(v.in.pos, sq) & v.area) - 13;
    score += Pair{m, 2 * m};
    const int near = 10 - FileDistance(sq, v.enemy_king) - RankDistance(sq, v.enemy_king);
    score += Pair{near, near};
    if (OnSeventh(v, sq)) score += QUEEN_SEVENTH;
  }
  return score;
}

Pair Rooks(const SideView& v) {
  const Position& pos = v.in.pos;
  const bool king_exposed = v.in.material.flags[v.enemy] & KING_EXPOSED;
  Pair score;
  for (Bitboard b = pos.bitboards[ROOK][v.side]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    const Bitboard file = FileMask(FileOf(sq));
    if (pos.bitboards[PAWN][v.side] & file) {
      score += ROOK_BEHIND_OWN_PAWN;
    } else {
      if (!(pos.bitboards[PAWN][v.enemy] & file)) score += ROOK_OPEN_FILE;
      const int files_apart = FileDistance(sq, v.enemy_king);
      if (king_exposed && files_apart <= 1) {
        score.mid += ROOK_NEAR_EXPOSED_KING;
        if (files_apart == 0) score.mid += ROOK_NEAR_EXPOSED_KING;
      }
    }
    const int m = BitCount(RookAttacks(pos, sq) & v.area) - 7;
    score += Pair{2 * m, 4 * m};
    if (OnSeventh(v, sq)) score += ROOK_SEVENTH;
  }
  return score;
}

// All bishops together: the squares they reach between them.
Pair Bishops(const SideView& v) {
  const Position& pos = v.in.pos;
  Bitboard reach = 0;
  int count = 0;
  for (Bitboard b = pos.bitboards[BISHOP][v.side]; b; b &= b - 1) {
    reach |= BishopAttacks(pos, FirstBit(b));
    ++count;
  }
  if (!count) return {};
  const int m = BitCount(reach & v.area) - 6 * count;
  return {5 * m, 5 * m};
}

Pair Knights(const SideView& v) {
  const Position& pos = v.in.pos;
  Pair score;
  for (Bitboard b = pos.bitboards[KNIGHT][v.side]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    const int m = BitCount(knight_attacks[sq] & v.area) - 4;
    score += Pair{4 * m, 4 * m};
    const int defenders = BitCount(pawn_attacks[sq][v.enemy] & pos.bitboards[PAWN][v.side]);
    score.mid += defenders * FromPrinted(SUPPORT_N, v.side, sq);
  }
  return score;
}

}  // namespace

Pair PieceTerms(const TermInput& in) {
  Pair score;
  for (int side = BLACK; side <= WHITE; ++side) {
    const int enemy = side ^ 1;
    const SideView v{in, side, enemy, ~in.pawn_attacks[enemy] & ~in.pos.bitboards[ALL_PIECES][side],
                     in.pos.king_square[enemy]};
    score += ForWhite(side, Queens(v) + Rooks(v) + Bishops(v) + Knights(v));
  }
  return score;
}

}  // namespace passive
