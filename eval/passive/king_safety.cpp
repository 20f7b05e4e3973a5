// King safety in the middle game: the pawn shelter in front of the king
// (and of the squares it may still castle to) with the enemy pawn storm,
// and the enemy sliders bearing on the squares around it.
#include <algorithm>

#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/passive/passive_tables.h"
#include "eval/passive/passive_terms.h"

namespace passive {

namespace {

constexpr int NO_PAWN = 8;
constexpr int EMPTY_SHELTER = 11;
constexpr int HEAVY_SHELTER_FROM = 23;
constexpr int HEAVY_MATERIAL = 1700;

// Relative rank of the side's pawn on the file nearest to its back rank
// among those above `above`; NO_PAWN when there is none.
int NearestPawnRank(Bitboard pawns_on_file, int side, int above) {
  int best = NO_PAWN;
  for (Bitboard b = pawns_on_file; b; b &= b - 1) {
    const int rr = RelativeRank(side, FirstBit(b));
    if (rr > above) best = std::min(best, rr);
  }
  return best;
}

// Shelter and storm for a king of side on sq: higher is worse.
int ShelterValue(const TermInput& in, int side, int sq) {
  const Position& pos = in.pos;
  const int enemy = side ^ 1;
  const int king_file = FileOf(sq), king_rank = RelativeRank(side, sq);
  int shelter = 0, storm = 0;
  for (int f = std::max(king_file - 1, 0); f <= std::min(king_file + 1, 7); ++f) {
    const Bitboard file = FileMask(f);
    const int own = NearestPawnRank(pos.bitboards[PAWN][side] & file, side, king_rank);
    shelter += (f == king_file ? 2 : 1) * SHELTER[own];
    const int attacker = NearestPawnRank(pos.bitboards[PAWN][enemy] & file, side, -1);
    if (attacker != NO_PAWN) storm += STORM[attacker];
  }
  if (shelter == 0) shelter = EMPTY_SHELTER;
  const int enemy_material = in.material.piece_material[enemy];
  if (shelter >= HEAVY_SHELTER_FROM && enemy_material > HEAVY_MATERIAL)
    shelter = shelter * (enemy_material / 17) / 100;
  return shelter + storm;
}

// The castled king behind an intact pawn wall needs no shelter term.
bool WallIntact(const Position& pos, int side) {
  const int turn = side == WHITE ? 0 : 56;
  const int king = pos.king_square[side] ^ turn;
  auto pawn = [&](int sq) { return pos.board[sq ^ turn] == PieceCode(side, PAWN); };
  constexpr int A1 = 0, B1 = 1, G1 = 6, H1 = 7;
  constexpr int A2 = 8, B2 = 9, C2 = 10, F2 = 13, G2 = 14, H2 = 15, A3 = 16, B3 = 17, G3 = 22, H3 = 23;
  if (king == G1 || king == H1) return (pawn(G2) && (pawn(H2) || pawn(H3))) || (pawn(F2) && pawn(G3) && pawn(H2));
  if (king == A1 || king == B1) return (pawn(B2) && (pawn(A2) || pawn(A3))) || (pawn(A2) && pawn(B3) && pawn(C2));
  return false;
}

// Shelter of side's king, weighed with the best square it may castle to.
int Shelter(const TermInput& in, int side) {
  const Position& pos = in.pos;
  if (WallIntact(pos, side)) return 0;
  const int own = ShelterValue(in, side, pos.king_square[side]);
  int best = own;
  const int back = side == WHITE ? 0 : 56;
  const uint8_t king_side = side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
  const uint8_t queen_side = side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
  if (pos.state.castling & king_side) best = std::min(best, ShelterValue(in, side, back + 6));
  if (pos.state.castling & queen_side) best = std::min(best, ShelterValue(in, side, back + 1));
  return (own + best) / 2;
}

// Enemy sliders whose lines reach the zone around side's king.
int Attack(const Position& pos, int side) {
  const int enemy = side ^ 1;
  const int king = pos.king_square[side];
  const Bitboard zone = king_zone[king];
  int count = 0, points = 0;
  for (Bitboard b = pos.bitboards[QUEEN][enemy]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    if (!((rook_lines[sq] | bishop_lines[sq]) & zone)) continue;
    const bool straight = RookAttacks(pos, sq) & zone;
    const bool diagonal = (BishopAttacks(pos, sq) & zone) && (queen_alignment[sq] & Bit(king));
    if (straight || diagonal) ++count, points += 4;
  }
  for (Bitboard b = pos.bitboards[ROOK][enemy]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    if ((rook_lines[sq] & zone) && (RookAttacks(pos, sq) & zone)) ++count, points += 2;
  }
  for (Bitboard b = pos.bitboards[BISHOP][enemy]; b; b &= b - 1) {
    const int sq = FirstBit(b);
    if ((bishop_lines[sq] & zone) && (BishopAttacks(pos, sq) & zone)) ++count, points += 1;
  }
  return (Saturated(KS_CURVE, count) * points) >> 8;
}

}  // namespace

Pair KingSafety(const TermInput& in) {
  Pair score;
  for (int side = BLACK; side <= WHITE; ++side) {
    if (!(in.material.flags[side] & KING_EXPOSED)) continue;
    score -= ForWhite(side, Pair{Shelter(in, side) + Attack(in.pos, side), 0});
  }
  return score;
}

}  // namespace passive
