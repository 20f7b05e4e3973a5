// Pawn-relative square sets for the Active pawn terms: what lies ahead of
// or behind a pawn, which pawns attack or defend a square.
#pragma once

#include "board/attacks.h"
#include "eval/eval_geometry.h"

// Every square on ranks ahead of sq, seen from side.
inline Bitboard RanksAhead(int side, int sq) {
  const int rank = RankOf(sq);
  if (side == WHITE) return rank == 7 ? 0 : ~0ULL << (8 * (rank + 1));
  return rank == 0 ? 0 : (1ULL << (8 * rank)) - 1;
}

// Every square on ranks behind sq, seen from side.
inline Bitboard RanksBehind(int side, int sq) { return RanksAhead(side ^ 1, sq); }

// Squares ahead of sq on its own file.
inline Bitboard FileAhead(int side, int sq) { return RanksAhead(side, sq) & FileMask(FileOf(sq)); }

// Squares behind sq on its own file.
inline Bitboard FileBehind(int side, int sq) { return RanksBehind(side, sq) & FileMask(FileOf(sq)); }

// The files beside a file (whole files).
inline Bitboard NeighbourFiles(int file) {
  return (file > 0 ? FileMask(file - 1) : 0) | (file < 7 ? FileMask(file + 1) : 0);
}

// Squares attacked by a set of pawns of side.
inline Bitboard PawnAttackSet(int side, Bitboard pawns) {
  constexpr Bitboard not_a = ~FileMask(0), not_h = ~FileMask(7);
  if (side == WHITE) return ((pawns & not_h) << 9) | ((pawns & not_a) << 7);
  return ((pawns & not_a) >> 9) | ((pawns & not_h) >> 7);
}

// Number of pawns of side (in the set `pawns`) that attack sq. At most two
// squares hold them, so two tests replace a full bit count on this hot path.
inline int PawnsHitting(int side, Bitboard pawns, int sq) {
  const Bitboard hitting = pawns & pawn_attacks[sq][side ^ 1];
  return hitting ? 1 + ((hitting & (hitting - 1)) != 0) : 0;
}

// The square one step ahead for side.
inline int StepAhead(int side, int sq) { return sq + pawn_step[side]; }

// Most advanced of a non-empty set of side's pawns on one file.
inline int MostAdvanced(int side, Bitboard pawns) {
  return side == WHITE ? LastBit(pawns) : FirstBit(pawns);
}

// Least advanced of a non-empty set of side's pawns.
inline int LeastAdvanced(int side, Bitboard pawns) {
  return side == WHITE ? FirstBit(pawns) : LastBit(pawns);
}

// +1 for White, -1 for Black: turns a side's own amount into White's view.
inline int SignOf(int side) { return side == WHITE ? 1 : -1; }

// Lowest and highest file of a file set; 8 for an empty set.
inline int LowFile(uint8_t files) { return files ? __builtin_ctz(files) : 8; }
inline int HighFile(uint8_t files) { return files ? 31 - __builtin_clz(files) : 8; }

// Largest number of empty files between two consecutive set files.
inline int LargestGap(uint8_t files) {
  int gap = 0, last = -1;
  for (int f = 0; f < 8; ++f) {
    if (!(files & (1 << f))) continue;
    if (last >= 0 && f - last - 1 > gap) gap = f - last - 1;
    last = f;
  }
  return gap;
}
