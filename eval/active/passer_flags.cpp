// Passer-distribution flags: whose passed and candidate pawns are spread
// wide or stand outside the enemy's pawns.
#include "eval/active/pawn_geometry.h"
#include "eval/active/pawn_structure.h"

namespace {

// Passers standing outside the enemy's pawn files (0..2, at most 1 for a
// single file). An empty set counts nothing.
int Outside(uint8_t files, uint8_t enemy_files) {
  if (!files) return 0;
  const int lo = LowFile(files), hi = HighFile(files);
  const int enemy_lo = LowFile(enemy_files & ~(1 << lo));
  const int enemy_hi = HighFile(enemy_files & ~(1 << hi));
  const int count = (lo < enemy_lo - 1) + (hi > enemy_hi + 1);
  return lo == hi ? std::min(count, 1) : count;
}

// Candidates standing at or beyond the edge of the enemy's pawn files.
int Edge(uint8_t files, uint8_t enemy_files) {
  if (!files) return 0;
  const int lo = LowFile(files), hi = HighFile(files);
  const int enemy_lo = LowFile(enemy_files & ~(1 << lo));
  const int enemy_hi = HighFile(enemy_files & ~(1 << hi));
  const int count = (lo <= enemy_lo + 1) + (hi >= enemy_hi - 1);
  return lo == hi ? std::min(count, 1) : count;
}

}  // namespace

uint8_t PasserDistributionFlags(const Position& pos, const PawnInfo& info) {
  const int x = Edge(info.candidate_files[WHITE], info.pawn_files[BLACK]) |
                Outside(info.passed_files[WHITE], info.pawn_files[BLACK]);
  const int y = Edge(info.candidate_files[BLACK], info.pawn_files[WHITE]) |
                Outside(info.passed_files[BLACK], info.pawn_files[WHITE]);
  if (x && !y) {
    if (x >= 2) return WHITE_PASSERS_OUTSIDE;
    return BitCount(pos.bitboards[PAWN][WHITE]) >= 2 ? WHITE_PASSER_SPREAD : 0;
  }
  if (y && !x) {
    if (y >= 2) return BLACK_PASSERS_OUTSIDE;
    return BitCount(pos.bitboards[PAWN][BLACK]) >= 2 ? BLACK_PASSER_SPREAD : 0;
  }
  if (x || y) return 0;
  const int white_gap = LargestGap(info.passed_files[WHITE] | info.candidate_files[WHITE]);
  const int black_gap = LargestGap(info.passed_files[BLACK] | info.candidate_files[BLACK]);
  if (white_gap > black_gap) return WHITE_WIDER_GAP;
  if (black_gap > white_gap) return BLACK_WIDER_GAP;
  return 0;
}
