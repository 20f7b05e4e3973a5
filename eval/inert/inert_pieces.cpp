// Piece terms: mobility in the safe area, attacks on the enemy king zone,
// supported knights, rooks on open files and toward an exposed king, rooks
// and queens on the seventh rank.
#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/inert_terms.h"
#include "eval/inert/material_table.h"

namespace inert {
namespace {

Bitboard king_zone[2][64];

// Squares attacked by the side's pawns.
Bitboard PawnAttackSet(int side, Bitboard pawns) {
  if (side == WHITE) return ((pawns & ~FILE_A) << 7) | ((pawns & ~FILE_H) << 9);
  return ((pawns & ~FILE_A) >> 9) | ((pawns & ~FILE_H) >> 7);
}

// Weights of one piece kind.
struct KindWeights {
  int mob_mid, mob_end, attack;
};
constexpr KindWeights KIND_WEIGHTS[6] = {
    {},
    {},
    {KnightMobMid, KnightMobEnd, KnightAttack},
    {BishopMobMid, BishopMobEnd, BishopAttack},
    {RookMobMid, RookMobEnd, RookAttack},
    {QueenMobMid, QueenMobEnd, QueenAttack},
};

Bitboard AttacksOf(const Position& pos, int kind, int sq) {
  switch (kind) {
    case KNIGHT: return knight_attacks[sq];
    case BISHOP: return BishopAttacks(pos, sq);
    case ROOK: return RookAttacks(pos, sq);
    default: return QueenAttacks(pos, sq);
  }
}

// The seventh-rank condition: enemy pawns on it or the enemy king on its
// back rank.
bool OnSeventh(const Position& pos, int side, int sq) {
  if (RelativeRank(side, sq) != 6) return false;
  const int enemy = side ^ 1;
  return (pos.bitboards[PAWN][enemy] & RankMask(RankOf(sq))) ||
         RelativeRank(side, pos.king_square[enemy]) == 7;
}

// Open-file, king-file and seventh-rank terms of a rook (White's view
// sign applied by the caller).
void RookTerms(const Position& pos, int side, int sq, uint16_t flags, Tapered& own) {
  const int enemy = side ^ 1;
  const Bitboard ahead = RayFrom(pawn_step[side], sq);
  if (!(pos.bitboards[PAWN][side] & ahead)) {
    own.Add(RookHalfOpenMid, RookHalfOpenEnd);
    if (!(pos.bitboards[PAWN][enemy] & ahead)) own.Add(RookOpenMid, RookOpenEnd);
    const uint16_t exposed = enemy == BLACK ? BLACK_KING_EXPOSED : WHITE_KING_EXPOSED;
    const int king = pos.king_square[enemy];
    if ((flags & exposed) && (ahead & king_zone[enemy][king])) {
      own.Add(RookKingFile, 0);
      if (ahead & Bit(king)) own.Add(RookKingFileKing, 0);
    }
  }
  if (OnSeventh(pos, side, sq)) own.Add(RookSeventhMid, RookSeventhEnd);
}

}  // namespace

Bitboard KingZone(int side, int king_square) { return king_zone[side][king_square]; }

void BuildKingZones() {
  for (int side = 0; side < 2; ++side) {
    for (int sq = 0; sq < 64; ++sq) {
      const Bitboard near = king_attacks[sq] | Bit(sq);
      const Bitboard beyond = side == WHITE ? near << 8 : near >> 8;
      king_zone[side][sq] = near | beyond;
    }
  }
}

Tapered PieceTerms(const Position& pos, uint16_t flags, PieceAttacks& attacks) {
  Tapered total;
  for (int side = BLACK; side <= WHITE; ++side) {
    const int enemy = side ^ 1;
    const Bitboard own_men = pos.bitboards[ALL_PIECES][side];
    const Bitboard own_pawns = pos.bitboards[PAWN][side];
    const Bitboard area = ~PawnAttackSet(enemy, pos.bitboards[PAWN][enemy]) & ~own_men;
    const Bitboard zone = king_zone[enemy][pos.king_square[enemy]];
    const Bitboard pawn_attacks_set = PawnAttackSet(side, own_pawns);
    attacks.attacked[side] = pawn_attacks_set | king_attacks[pos.king_square[side]];
    attacks.king_attackers[side] = (pawn_attacks_set & zone) ? 1 : 0;
    attacks.king_weights[side] = 0;
    Tapered own;
    for (int kind = KNIGHT; kind <= QUEEN; ++kind) {
      const KindWeights& w = KIND_WEIGHTS[kind];
      for (Bitboard men = pos.bitboards[kind][side]; men; men &= men - 1) {
        const int sq = FirstBit(men);
        const Bitboard reach = AttacksOf(pos, kind, sq);
        attacks.attacked[side] |= reach;
        const int mobility = BitCount(reach & area);
        own.Add(mobility * w.mob_mid, mobility * w.mob_end);
        if (reach & zone) {
          ++attacks.king_attackers[side];
          attacks.king_weights[side] += w.attack;
        }
        if (kind == KNIGHT) {
          const int defenders = BitCount(pawn_attacks[sq][enemy] & own_pawns);
          own.Add(defenders * FromPrinted(KnightSupport, side, sq), 0);
        } else if (kind == ROOK) {
          RookTerms(pos, side, sq, flags, own);
        } else if (kind == QUEEN && OnSeventh(pos, side, sq)) {
          own.Add(0, QueenSeventhEnd);
        }
      }
    }
    const int sign = side == WHITE ? 1 : -1;
    total.Add(sign * own.mid, sign * own.end);
  }
  return total;
}

}  // namespace inert
