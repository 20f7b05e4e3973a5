// Passer distribution: widely spread or outside passers against the
// defending side's pieces, and kings cutting off pawns in pawn endings.
#include <algorithm>

#include "eval/active/passed_pawns.h"
#include "eval/active/pawn_geometry.h"

namespace {

// By the defending side's piece_material; 12 from 20 upward.
const int SPREAD[20] = {96, 48, 48, 48, 45, 42, 40, 40, 36, 36, 32, 32, 28, 28, 24, 24, 20, 20, 16, 16};

// SPREAD by the defender's piece material.
int Spread(int piece_material) { return piece_material < 20 ? SPREAD[std::max(piece_material, 0)] : 12; }

// The flags of the cached record weighted by the defender's pieces.
int FlagTerms(const MaterialInfo& mi, uint8_t flags) {
  const int vs_black = Spread(mi.piece_material[BLACK]);
  const int vs_white = Spread(mi.piece_material[WHITE]);
  int score = 0;
  if (flags & WHITE_PASSER_SPREAD) score += vs_black;
  if (flags & WHITE_PASSERS_OUTSIDE) score += 2 * vs_black;
  if (flags & BLACK_PASSER_SPREAD) score -= vs_white;
  if (flags & BLACK_PASSERS_OUTSIDE) score -= 2 * vs_white;
  if (flags & WHITE_WIDER_GAP) score += 3 * vs_black;
  if (flags & BLACK_WIDER_GAP) score -= 3 * vs_white;
  return score;
}

// A side left with only pawns against pieces suffers from wide gaps
// between the enemy's passed and candidate pawns.
int GapTerms(const MaterialInfo& mi, const PawnInfo& info) {
  int score = 0;
  if (mi.piece_material[WHITE] == 0) {
    const int gap = LargestGap(info.passed_files[BLACK] | info.candidate_files[BLACK]);
    if (gap >= 2) score -= 48 * (gap - 1);
  }
  if (mi.piece_material[BLACK] == 0) {
    const int gap = LargestGap(info.passed_files[WHITE] | info.candidate_files[WHITE]);
    if (gap >= 2) score += 48 * (gap - 1);
  }
  return score;
}

// Pawn endings: a king standing between the enemy king and all of the
// enemy's pawns. A side without pawns cannot be cut off from them.
int KingCutOff(const Position& pos, const PawnInfo& info) {
  const int s = pos.side == WHITE ? 1 : 0;
  const int k = FileOf(pos.king_square[BLACK]), K = FileOf(pos.king_square[WHITE]);
  const uint8_t white_files = info.pawn_files[WHITE], black_files = info.pawn_files[BLACK];
  int score = 0;
  if (white_files && ((k <= K + s && k < K - s && k > HighFile(white_files)) ||
                      (k > K + s && k < LowFile(white_files))))
    score -= 150;
  if (black_files && ((K + s <= k + 1 && K - s < k - 1 && K > HighFile(black_files)) ||
                      (K + s > k + 1 && K < LowFile(black_files))))
    score += 150;
  return score;
}

}  // namespace

int PasserDistribution(const Position& pos, const MaterialInfo& mi, const PawnInfo& info) {
  int score = FlagTerms(mi, info.distribution_flags);
  const bool any_piece = mi.piece_material[WHITE] + mi.piece_material[BLACK] > 0;
  if (any_piece) return score + GapTerms(mi, info);
  return score + KingCutOff(pos, info);
}
