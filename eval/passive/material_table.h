// What the material signature alone decides for the Passive evaluation:
// the material score pair, the game phase, per-side draw scales and the
// flags that pick endgame rules, computed once per signature and cached.
#pragma once

#include <cstdint>

namespace passive {

// Flag bits, one byte per side (flags[BLACK] is byte 4 of the entry).
inline constexpr uint8_t CAN_MATE_BARE_KING = 0x80;  // the enemy has a bare king
inline constexpr uint8_t LONE_PAWN_ENDING = 0x40;    // Black's byte: K+P or K+B+P against K
inline constexpr uint8_t BISHOPS_AND_PAWNS = 0x20;   // Black's byte: one bishop each, pawns near
inline constexpr uint8_t MINOR_DRAW = 0x10;          // Black's byte: at most a minor each, no pawns
inline constexpr uint8_t KING_EXPOSED = 0x08;        // the enemy has a queen and another piece
inline constexpr uint8_t PAWN_AND_BISHOPS = 0x01;    // one pawn and nothing but bishops
inline constexpr uint8_t PAWN_AND_BISHOP_VS_PIECE = 0x02;  // the same, one bishop at most, enemy piece
inline constexpr uint8_t PAWN_AND_KNIGHT_VS_PIECE = 0x04;  // knight and pawn alone, enemy piece

// Marks a computed entry in the scales byte, so that a zeroed entry never
// passes as the one of the bare-kings signature (which is 0).
inline constexpr uint8_t ENTRY_FILLED = 0x80;

// One cache entry, 16 bytes as stored:
//   bytes  0..3   check: bytes 0..3 ^ 4..7 ^ 8..11 ^ 12..15 equals the signature
//   byte   4, 5   Black's and White's flags
//   byte   6      scale indices: White bits 3..5, Black bits 0..2; bit 7 ENTRY_FILLED
//   byte   7      phase 0..255
//   bytes  8..11  material middle-game and end-game score, White's view
//   bytes 12..15  Black's and White's piece material (minor 320, rook 500, queen 975)
struct MaterialEntry {
  uint32_t check;
  uint8_t flags[2];
  uint8_t scales;
  uint8_t phase;
  int16_t mid;
  int16_t end;
  uint16_t piece_material[2];
};
static_assert(sizeof(MaterialEntry) == 16, "the cache entry is 16 bytes");

inline constexpr int MATERIAL_CACHE_SIZE = 65536;

// The 16-bit cache index of a signature.
uint32_t MaterialHash(uint32_t signature);

// Computes the entry of a signature (check word included).
MaterialEntry ComputeMaterialEntry(uint32_t signature);

// The entry of a signature from the cache, computed and stored on a miss.
MaterialEntry FetchMaterialEntry(uint32_t signature);

// Writes an entry into the signature's cache slot, as a miss does.
void StoreMaterialEntry(uint32_t signature, const MaterialEntry& entry);

// Zeroes the cache (new game).
void ClearMaterialCache();

// A side's scale index (0..5) and the sixteenths it stands for.
inline int ScaleIndex(const MaterialEntry& e, int side) { return side ? (e.scales >> 3) & 7 : e.scales & 7; }
inline int ScaleOf(int index) { return (1 << index) >> 1; }

}  // namespace passive
