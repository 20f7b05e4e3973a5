// The key tables: written once at start-up, read-only afterwards.
#include "board/keys.h"

#include "board/position.h"
#include "board/random_state.h"

uint64_t piece_keys[16][64];
uint64_t castle_keys[4];
uint64_t ep_keys[8];
uint64_t castle_key_sets[16];
uint8_t castle_mask[64];

namespace {

// A 64-bit key: the first draw gives the upper half, the second the lower.
uint64_t NextKey() {
  const uint64_t upper = NextRandom();
  return (upper << 32) | NextRandom();
}

// Home squares whose moves clear castling rights, with the rights kept.
struct CastleMaskEntry {
  int square;
  uint8_t kept;
};
constexpr CastleMaskEntry CASTLE_MASK_ENTRIES[] = {
    {0, 13},   // a1: White queen side
    {7, 14},   // h1: White king side
    {4, 12},   // e1: both White rights
    {56, 7},   // a8: Black queen side
    {63, 11},  // h8: Black king side
    {60, 3},   // e8: both Black rights
};

}  // namespace

void InitKeys() {
  random_state = 1;
  for (int kind = PAWN; kind <= KING; ++kind)
    for (int side = BLACK; side <= WHITE; ++side)
      for (int sq = 0; sq < 64; ++sq) piece_keys[PieceCode(side, kind)][sq] = NextKey();
  for (auto& key : castle_keys) key = NextKey();
  for (auto& key : ep_keys) key = NextKey();
  NextKey();  // the thirteenth key of the run is drawn and not used
}

void InitCastleMasks() {
  for (auto& mask : castle_mask) mask = 15;
  for (const auto& entry : CASTLE_MASK_ENTRIES) castle_mask[entry.square] = entry.kept;
  for (int rights = 0; rights < 16; ++rights) {
    castle_key_sets[rights] = 0;
    for (int bit = 0; bit < 4; ++bit)
      if (rights & (1 << bit)) castle_key_sets[rights] ^= castle_keys[bit];
  }
}
