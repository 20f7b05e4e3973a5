// Passive weight tables, written as printed (rank 8 on top), and the
// start-up geometry.
#include "eval/passive/passive_tables.h"

#include "board/attacks.h"
#include "eval/eval_geometry.h"

namespace passive {

// clang-format off
const int PST_MID[7][64] = {
  {},
  {  // pawn
   -15,  -5,   0,   5,   5,   0,  -5, -15,
   -15,  -5,   0,   5,   5,   0,  -5, -15,
   -15,  -5,   0,   5,   5,   0,  -5, -15,
   -15,  -5,   0,  15,  15,   0,  -5, -15,
   -15,  -5,   0,  25,  25,   0,  -5, -15,
   -15,  -5,   0,  15,  15,   0,  -5, -15,
   -15,  -5,   0,   5,   5,   0,  -5, -15,
   -15,  -5,   0,   5,   5,   0,  -5, -15,
  },
  {  // knight
  -135, -25, -15, -10, -10, -15, -25,-135,
   -20, -10,   0,   5,   5,   0, -10, -20,
    -5,   5,  15,  20,  20,  15,   5,  -5,
    -5,   5,  15,  20,  20,  15,   5,  -5,
   -10,   0,  10,  15,  15,  10,   0, -10,
   -20, -10,   0,   5,   5,   0, -10, -20,
   -35, -25, -15, -10, -10, -15, -25, -35,
   -50, -40, -30, -25, -25, -30, -40, -50,
  },
  {  // bishop
    -8,  -8,  -6,  -4,  -4,  -6,  -8,  -8,
    -8,   0,  -2,   0,   0,  -2,   0,  -8,
    -6,  -2,   4,   2,   2,   4,  -2,  -6,
    -4,   0,   2,   8,   8,   2,   0,  -4,
    -4,   0,   2,   8,   8,   2,   0,  -4,
    -6,  -2,   4,   2,   2,   4,  -2,  -6,
    -8,   0,  -2,   0,   0,  -2,   0,  -8,
   -18, -18, -16, -14, -14, -16, -18, -18,
  },
  {  // rook
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
    -6,  -3,   0,   3,   3,   0,  -3,  -6,
  },
  {  // queen
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
    -5,  -5,  -5,  -5,  -5,  -5,  -5,  -5,
  },
  {  // king
   -40, -30, -50, -70, -70, -50, -30, -40,
   -30, -20, -40, -60, -60, -40, -20, -30,
   -20, -10, -30, -50, -50, -30, -10, -20,
   -10,   0, -20, -40, -40, -20,   0, -10,
     0,  10, -10, -30, -30, -10,  10,   0,
    10,  20,   0, -20, -20,   0,  20,  10,
    30,  40,  20,   0,   0,  20,  40,  30,
    40,  50,  30,  10,  10,  30,  50,  40,
  },
};

const int PST_END[7][64] = {
  {},
  {},  // pawn: no end-game square values
  {  // knight
   -40, -30, -20, -15, -15, -20, -30, -40,
   -30, -20, -10,  -5,  -5, -10, -20, -30,
   -20, -10,   0,   5,   5,   0, -10, -20,
   -15,  -5,   5,  10,  10,   5,  -5, -15,
   -15,  -5,   5,  10,  10,   5,  -5, -15,
   -20, -10,   0,   5,   5,   0, -10, -20,
   -30, -20, -10,  -5,  -5, -10, -20, -30,
   -40, -30, -20, -15, -15, -20, -30, -40,
  },
  {  // bishop
   -18, -12,  -9,  -6,  -6,  -9, -12, -18,
   -12,  -6,  -3,   0,   0,  -3,  -6, -12,
    -9,  -3,   0,   3,   3,   0,  -3,  -9,
    -6,   0,   3,   6,   6,   3,   0,  -6,
    -6,   0,   3,   6,   6,   3,   0,  -6,
    -9,  -3,   0,   3,   3,   0,  -3,  -9,
   -12,  -6,  -3,   0,   0,  -3,  -6, -12,
   -18, -12,  -9,  -6,  -6,  -9, -12, -18,
  },
  {},  // rook: no end-game square values
  {  // queen
   -24, -16, -12,  -8,  -8, -12, -16, -24,
   -16,  -8,  -4,   0,   0,  -4,  -8, -16,
   -12,  -4,   0,   4,   4,   0,  -4, -12,
    -8,   0,   4,   8,   8,   4,   0,  -8,
    -8,   0,   4,   8,   8,   4,   0,  -8,
   -12,  -4,   0,   4,   4,   0,  -4, -12,
   -16,  -8,  -4,   0,   0,  -4,  -8, -16,
   -24, -16, -12,  -8,  -8, -12, -16, -24,
  },
  {  // king
   -72, -48, -36, -24, -24, -36, -48, -72,
   -48, -24, -12,   0,   0, -12, -24, -48,
   -36, -12,   0,  12,  12,   0, -12, -36,
   -24,   0,  12,  24,  24,  12,   0, -24,
   -24,   0,  12,  24,  24,  12,   0, -24,
   -36, -12,   0,  12,  12,   0, -12, -36,
   -48, -24, -12,   0,   0, -12, -24, -48,
   -72, -48, -36, -24, -24, -36, -48, -72,
  },
};

const int KBN_CORNER[64] = {
    10,  15,  20,  25,  70,  80,  90, 100,
    15,  10,  25,  50,  60,  70,  80,  90,
    20,  25,  30,  40,  50,  60,  70,  80,
    25,  50,  40,  30,  40,  50,  60,  70,
    70,  60,  50,  40,  30,  40,  50,  25,
    80,  70,  60,  50,  40,  30,  25,  20,
    90,  80,  70,  60,  50,  25,  10,  15,
   100,  90,  80,  70,  25,  20,  15,  10,
};

const int SUPPORT_N[64] = {
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   2,   5,   5,   2,   0,   0,
     0,   1,   2,   5,   5,   2,   1,   0,
     0,   1,   2,   5,   5,   2,   1,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
};
// clang-format on

const int PASSED_MID[8] = {10, 10, 10, 16, 28, 46, 70, 10};
const int PASSED_END[8] = {0, 0, 0, 26, 77, 154, 256, 0};
const int CANDIDATE[8] = {5, 5, 5, 10, 20, 35, 55, 5};
const int KS_CURVE[16] = {0,    0,    2560, 3840, 4480, 4800, 4960, 5040,
                          5080, 5100, 5120, 5120, 5120, 5120, 5120, 5120};
const int SHELTER[9] = {-13, 0, 11, 20, 27, 32, 35, 36, 36};
const int STORM[8] = {0, 0, 60, 30, 10, 0, 0, 0};

Bitboard king_zone[64];
Bitboard queen_alignment[64];
Bitboard rook_lines[64];
Bitboard bishop_lines[64];

ScorePair PieceSquarePair(int code, int sq) {
  const int kind = KindOf(code), side = SideOf(code);
  const int mid = FromPrinted(PST_MID[kind], side, sq);
  const int end = FromPrinted(PST_END[kind], side, sq);
  return side == WHITE ? ScorePair{static_cast<int16_t>(mid), static_cast<int16_t>(end)}
                       : ScorePair{static_cast<int16_t>(-mid), static_cast<int16_t>(-end)};
}

namespace {

// The empty-board lines through sq along the steps of one slider kind.
Bitboard LinesOf(int sq, int kind) {
  Bitboard lines = 0;
  for (int d = -9; d <= 9; ++d)
    if (d != 0 && SliderKindOf(d) == kind) lines |= RayFrom(d, sq);
  return lines;
}

}  // namespace

void InitPassiveTables() {
  for (int code = 0; code < 16; ++code)
    for (int sq = 0; sq < 64; ++sq)
      psq_pair[code][sq] = (KindOf(code) >= PAWN && KindOf(code) <= KING) ? PieceSquarePair(code, sq)
                                                                          : ScorePair{0, 0};
  for (int sq = 0; sq < 64; ++sq) {
    king_zone[sq] = 0;
    queen_alignment[sq] = 0;
    for (int to = 0; to < 64; ++to) {
      const int d = KingDistance(sq, to);
      if (d == 1 || d == 2) king_zone[sq] |= Bit(to);
    }
    rook_lines[sq] = LinesOf(sq, ROOK);
    bishop_lines[sq] = LinesOf(sq, BISHOP);
    for (int to = 0; to < 64; ++to)
      if (((rook_lines[sq] | bishop_lines[sq]) & Bit(to)) && RankDistance(sq, to) < 3)
        queen_alignment[sq] |= Bit(to);
  }
}

}  // namespace passive
