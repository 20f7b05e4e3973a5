// Opposite-coloured bishops scaling and the winnability clamp.
#include "eval/scaling.h"

#include <cstdlib>

#include "eval/eval_geometry.h"
#include "eval/winnability.h"

int ScaleOppositeBishops(const Position& pos, const MaterialInfo& mi, int score) {
  if (mi.piece_material[WHITE] > 11 || mi.piece_material[BLACK] > 11) return score;
  if (mi.bishops[WHITE] != 1 || mi.bishops[BLACK] != 1) return score;
  const Bitboard white = pos.bitboards[BISHOP][WHITE];
  const Bitboard black = pos.bitboards[BISHOP][BLACK];
  if (!white || !black || SquareColour(FirstBit(white)) == SquareColour(FirstBit(black))) return score;
  const bool bishops_alone = mi.piece_material[WHITE] == 3 && mi.piece_material[BLACK] == 3;
  if (std::abs(mi.balance) <= 200) return bishops_alone ? score >> 2 : score;
  if (bishops_alone) return score >> 1;
  if (mi.piece_material[WHITE] == mi.piece_material[BLACK])
    return mi.balance + ((score - mi.balance) >> 1);
  return score;
}

int ClampToWinnability(int score, int flags) {
  if (flags == BOTH_CAN_WIN) return score;
  if ((flags & BLACK_CAN_WIN) && score > 0) return 0;
  if ((flags & WHITE_CAN_WIN) && score < 0) return 0;
  return score;
}
