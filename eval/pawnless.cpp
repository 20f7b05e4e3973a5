// Pawnless-ending term and scaling.
#include "eval/pawnless.h"

#include "eval/eval_geometry.h"
#include "eval/winnability.h"

// clang-format off
const int KBN[64] = {
  100,  90,  80,  70,  60,  50,  40,  30,
   90,  80,  70,  60,  50,  40,  30,  40,
   80,  70,  60,  50,  40,  30,  40,  50,
   70,  60,  50,  40,  30,  40,  50,  60,
   60,  50,  40,  30,  40,  50,  60,  70,
   50,  40,  30,  40,  50,  60,  70,  80,
   40,  30,  40,  50,  60,  70,  80,  90,
   30,  40,  50,  60,  70,  80,  90, 100,
};

const int EDGE[64] = {
  100,  96,  93,  90,  90,  93,  96, 100,
   96,  80,  70,  60,  60,  70,  80,  96,
   93,  70,  60,  50,  50,  60,  70,  93,
   90,  60,  50,  40,  40,  50,  60,  90,
   90,  60,  50,  40,  40,  50,  60,  90,
   93,  70,  60,  50,  50,  60,  70,  93,
   96,  80,  70,  60,  60,  70,  80,  96,
  100,  96,  93,  90,  90,  93,  96, 100,
};
// clang-format on

namespace {

// A printed table read at a board square.
int AtSquare(const int (&table)[64], int sq) { return table[FlipRank(sq)]; }

// Bishop and knight (and perhaps more minors, no majors) against a bare
// king.
bool IsBishopKnightMate(const MaterialInfo& mi, int strong) {
  const int weak = strong ^ 1;
  return mi.piece_material[weak] == 0 && mi.majors[strong] == 0 && mi.bishops[strong] &&
         mi.knights[strong];
}

// The weak king's KBN value, the table turned for a dark-squared bishop.
int BishopKnightTerm(const Position& pos, int strong) {
  int sq = pos.king_square[strong ^ 1];
  if (pos.bitboards[BISHOP][strong] & DARK_SQUARES) sq = FlipRank(sq);
  return AtSquare(KBN, sq);
}

}  // namespace

int PawnlessTerm(const Position& pos, const MaterialInfo& mi) {
  if (IsBishopKnightMate(mi, WHITE)) return BishopKnightTerm(pos, WHITE);
  if (IsBishopKnightMate(mi, BLACK)) return -BishopKnightTerm(pos, BLACK);
  const int kings = KingDistance(pos.king_square[WHITE], pos.king_square[BLACK]);
  if (mi.balance > 0) return (3 - kings) * 15 + AtSquare(EDGE, pos.king_square[BLACK]);
  if (mi.balance < 0) return (kings - 3) * 15 - AtSquare(EDGE, pos.king_square[WHITE]);
  return 0;
}

int ScalePawnless(int score, int flags) {
  if (score > 0 && !(flags & WHITE_CAN_WIN)) score >>= 2;
  if (score < 0 && !(flags & BLACK_CAN_WIN)) score >>= 2;
  return score;
}
