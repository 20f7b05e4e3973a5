// Piece-square values in internal units, White's view: each table is a
// file part plus a rank part; Black counts the negated value of the square
// mirrored top to bottom.
#include "eval/inert/inert_psq.h"

#include "board/position.h"
#include "board/psq_pairs.h"

namespace inert {
namespace {

// One phase of a piece: value = file[file] + rank[rank].
struct FileRank {
  int16_t file[8];  // a..h
  int16_t rank[8];  // 1..8
};

// [kind][0 = midgame, 1 = endgame]; kind 0 unused.
constexpr FileRank PIECE_SQUARE[7][2] = {
    {},
    // pawn
    {{{0, 362, 543, 724, 724, 543, 362, 0}, {-543, -543, -543, -543, -543, -543, -543, -543}},
     {{0, -194, -291, -388, -388, -291, -194, 0}, {291, 291, 291, 291, 291, 291, 291, 291}}},
    // knight
    {{{0, 694, 1388, 1735, 1735, 1388, 694, 0}, {-3492, -2440, -1388, -683, -325, -314, -1366, -2418}},
     {{0, 112, 224, 280, 280, 224, 112, 0}, {-448, -336, -224, -168, -168, -224, -336, -448}}},
    // bishop
    {{{0, 294, 441, 588, 588, 441, 294, 0}, {-882, -588, -441, -294, -294, -441, -588, -882}},
     {{0, 98, 147, 196, 196, 147, 98, 0}, {-294, -196, -147, -98, -98, -147, -196, -294}}},
    // rook
    {{{0, 104, 208, 312, 312, 208, 104, 0}, {-208, -208, -208, -208, -208, -208, -208, -208}},
     {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}},
    // queen
    {{{0, 196, 294, 392, 392, 294, 196, 0}, {-588, -392, -294, -196, -196, -294, -392, -588}},
     {{0, 216, 324, 432, 432, 324, 216, 0}, {-648, -432, -324, -216, -216, -324, -432, -648}}},
    // king
    {{{0, 469, -469, -1407, -1407, -469, 469, 0}, {1407, 1407, 1407, 1407, 1407, 1407, 1407, 1407}},
     {{0, 802, 1203, 1604, 1604, 1203, 802, 0}, {-2406, -1604, -1203, -802, -802, -1203, -1604, -2406}}},
};

int WhiteValue(int kind, int phase, int sq) {
  const FileRank& table = PIECE_SQUARE[kind][phase];
  return table.file[FileOf(sq)] + table.rank[RankOf(sq)];
}

}  // namespace

void FillPieceSquarePairs() {
  for (int kind = PAWN; kind <= KING; ++kind) {
    for (int sq = 0; sq < 64; ++sq) {
      psq_pair[PieceCode(WHITE, kind)][sq] = {static_cast<int16_t>(WhiteValue(kind, 0, sq)),
                                              static_cast<int16_t>(WhiteValue(kind, 1, sq))};
      const int mirrored = sq ^ 56;
      psq_pair[PieceCode(BLACK, kind)][sq] = {static_cast<int16_t>(-WhiteValue(kind, 0, mirrored)),
                                              static_cast<int16_t>(-WhiteValue(kind, 1, mirrored))};
    }
  }
}

}  // namespace inert
