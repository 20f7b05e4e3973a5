// Pawn structure terms, pawn by pawn.
#include "eval/passive/pawn_structure.h"

#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/passive/passive_tables.h"

namespace passive {

namespace {

constexpr Pair DOUBLED = {-10, -20};
constexpr Pair BACKWARD_OPEN = {-16, -10};
constexpr Pair BACKWARD = {-8, -10};
constexpr Pair ISOLATED_OPEN = {-20, -20};
constexpr Pair ISOLATED = {-10, -20};
constexpr Pair ISOLATED_DOUBLED = {-4, -4};

// The squares of the neighbouring files on the given relative ranks of a
// side (ranks outside the board are empty).
Bitboard NeighbourRanks(int side, int sq, int from_rank, int to_rank) {
  Bitboard set = 0;
  for (int r = from_rank; r <= to_rank; ++r) {
    if (r < 0 || r > 7) continue;
    const int rank = side == WHITE ? r : 7 - r;
    set |= RankMask(rank);
  }
  return set & adjacent_files[sq];
}

// Own pawns able to stand beside or behind the pawn and so support its
// advance: on the neighbouring files, level with it or behind. A pawn on
// its second rank can also be joined by one a rank ahead, which it
// reaches by a single step.
int Supporters(int side, int sq, Bitboard own) {
  const int rr = RelativeRank(side, sq);
  return BitCount(own & NeighbourRanks(side, sq, 0, rr == 1 ? rr + 1 : rr));
}

// One side's pawn terms, the side's own view.
Pair SidePawns(int side, Bitboard own, Bitboard enemy, uint8_t& passed_files) {
  Pair score;
  for (Bitboard b = own; b; b &= b - 1) {
    const int sq = FirstBit(b);
    const int rr = RelativeRank(side, sq);
    const Bitboard file_ahead = front_span[sq][side] & FileMask(FileOf(sq));
    const bool open = !((own | enemy) & file_ahead);
    const bool doubled = (own & file_ahead) != 0;
    if (doubled) score += DOUBLED;
    if (open) {
      const Bitboard sentries_ahead = enemy & front_span[sq][side];
      if (!sentries_ahead) {
        passed_files |= static_cast<uint8_t>(1 << FileOf(sq));
      } else {
        const int sentries = BitCount(enemy & NeighbourRanks(side, sq, rr + 1, rr + 2));
        if (Supporters(side, sq, own) >= sentries) score += Pair{CANDIDATE[rr], 2 * CANDIDATE[rr]};
      }
    }
    if (!(own & adjacent_files[sq])) {
      score += open ? ISOLATED_OPEN : ISOLATED;
      if (doubled) score += ISOLATED_DOUBLED;
    } else if (Supporters(side, sq, own) == 0 && rr < 6 &&
               (pawn_attacks[sq + pawn_step[side]][side] & enemy)) {
      score += open ? BACKWARD_OPEN : BACKWARD;
    }
  }
  return score;
}

}  // namespace

PawnStructure EvaluatePawns(const Position& pos) {
  PawnStructure ps{};
  const Bitboard white = pos.bitboards[PAWN][WHITE], black = pos.bitboards[PAWN][BLACK];
  ps.score = SidePawns(WHITE, white, black, ps.passed_files[WHITE]) -
             SidePawns(BLACK, black, white, ps.passed_files[BLACK]);
  return ps;
}

}  // namespace passive
