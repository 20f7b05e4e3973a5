// Small square and file helpers the evaluation terms share: masks by file
// and rank, relative ranks and the board turned top to bottom.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "board/bitboard.h"
#include "board/position.h"

inline constexpr Bitboard FILE_A_MASK = 0x0101010101010101ULL;
inline constexpr Bitboard RANK_1_MASK = 0xFFULL;

// All squares of a file (0 = a) or of a rank (0 = first rank).
inline constexpr Bitboard FileMask(int file) { return FILE_A_MASK << file; }
inline constexpr Bitboard RankMask(int rank) { return RANK_1_MASK << (8 * rank); }

// All squares of the files lo..hi.
inline constexpr Bitboard FilesMask(int lo, int hi) {
  Bitboard mask = 0;
  for (int f = lo; f <= hi; ++f) mask |= FileMask(f);
  return mask;
}

inline constexpr Bitboard LIGHT_SQUARES = 0x55AA55AA55AA55AAULL;
inline constexpr Bitboard DARK_SQUARES = ~LIGHT_SQUARES;

// The same square seen from the other side of the board (rank r -> 9 - r).
inline constexpr int FlipRank(int sq) { return sq ^ 56; }

// Square colour: 0 dark (a1), 1 light.
inline constexpr int SquareColour(int sq) { return (RankOf(sq) + FileOf(sq)) & 1; }

// The squares of the same colour as sq.
inline constexpr Bitboard SameColourSquares(int sq) {
  return SquareColour(sq) ? LIGHT_SQUARES : DARK_SQUARES;
}

// Rank counted from the owner's side, 0 = its back rank.
inline constexpr int RelativeRank(int side, int sq) {
  return side == WHITE ? RankOf(sq) : 7 - RankOf(sq);
}

inline int FileDistance(int a, int b) { return std::abs(FileOf(a) - FileOf(b)); }
inline int RankDistance(int a, int b) { return std::abs(RankOf(a) - RankOf(b)); }
inline int KingDistance(int a, int b) { return std::max(FileDistance(a, b), RankDistance(a, b)); }

// The one-bit board of a square, usable before the attack tables exist.
inline constexpr Bitboard Bit(int sq) { return 1ULL << sq; }

// A square table printed rank 8 first, read for a piece of a side: White
// reads the printed row of its rank, Black the row of its mirrored rank.
template <typename T>
inline int FromPrinted(const T (&table)[64], int side, int sq) {
  return table[side == WHITE ? FlipRank(sq) : sq];
}

// Table lookup that saturates at the last entry, for counts that can
// exceed a table in odd set-up positions.
template <typename T, std::size_t N>
inline int Saturated(const T (&table)[N], int index) {
  return table[std::clamp(index, 0, static_cast<int>(N) - 1)];
}

// The files (bit 0 = a-file) on which a set has a square: all ranks folded
// onto one byte.
inline constexpr uint8_t FilesOf(Bitboard b) {
  b |= b >> 32;
  b |= b >> 16;
  b |= b >> 8;
  return static_cast<uint8_t>(b);
}
