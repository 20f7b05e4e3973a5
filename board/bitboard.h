// Square sets (bitboards): bit n stands for square n, a1 = 0, h8 = 63.
#pragma once

#include <cstdint>

using Bitboard = uint64_t;

// Byte tables built at start-up with the attack tables: the index of the
// lowest and highest set bit of a byte, 8 for the empty byte.
extern uint8_t first_bit8[256];
extern uint8_t last_bit8[256];

// The 64 one-bit boards.
extern Bitboard square_bit[64];

// Exactly one bit set (false for 0).
inline bool SingleBit(Bitboard b) { return b != 0 && (b & (b - 1)) == 0; }

// Two or more bits set.
inline bool SeveralBits(Bitboard b) { return b != 0 && (b & (b - 1)) != 0; }

// Two or more bits set in a byte.
inline bool SeveralBits8(uint8_t b) { return b != 0 && (b & (b - 1)) != 0; }

// Index of the lowest set bit; b must not be 0.
inline int FirstBit(Bitboard b) { return __builtin_ctzll(b); }

// Index of the highest set bit; b must not be 0.
inline int LastBit(Bitboard b) { return 63 - __builtin_clzll(b); }

// Number of set bits: the parallel bit-sum.
inline int BitCount(Bitboard b) {
  b -= (b >> 1) & 0x5555555555555555ULL;
  b = (b & 0x3333333333333333ULL) + ((b >> 2) & 0x3333333333333333ULL);
  b = (b + (b >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((b * 0x0101010101010101ULL) >> 56);
}
