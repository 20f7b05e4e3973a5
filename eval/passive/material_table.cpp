// The material table: entries computed from the signature, cached by a
// 16-bit hash of it.
#include "eval/passive/material_table.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "board/position.h"

namespace passive {

namespace {

// Piece counts of one side read from its 16-bit half of the signature.
struct SideCounts {
  int pawns, knights, bishops, rooks, queens;

  int Minors() const { return knights + bishops; }
  int Pieces() const { return knights + bishops + rooks + queens; }
  bool Bare() const { return pawns == 0 && Pieces() == 0; }
  // Weighted count: minor 1, rook 2, queen 4.
  int Weight() const { return Minors() + 2 * (rooks + 2 * queens); }
  // Heavy count: rook 1, queen 2.
  int Heavy() const { return 2 * queens + rooks; }
  int PieceMaterial() const { return 320 * Minors() + 500 * rooks + 975 * queens; }
};

SideCounts CountsOf(uint32_t signature, int side) {
  const uint32_t half = (signature >> (16 * side)) & 0xFFFF;
  return {static_cast<int>(half & 15), static_cast<int>((half >> 4) & 7), static_cast<int>((half >> 7) & 7),
          static_cast<int>((half >> 10) & 7), static_cast<int>((half >> 13) & 7)};
}

uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// A side can force mate on a bare king with these pieces (two bishops of
// one colour are caught at evaluation time, where squares are known).
bool CanMate(const SideCounts& c) {
  return c.queens || c.rooks || (c.bishops && c.knights) || c.bishops >= 2;
}

// Flags of side s (own counts c, enemy e).
uint8_t SideFlags(const SideCounts& c, const SideCounts& e) {
  uint8_t flags = 0;
  if (e.Bare() && CanMate(c)) flags |= CAN_MATE_BARE_KING;
  if (e.queens && e.Pieces() >= 2) flags |= KING_EXPOSED;
  const bool pawn_and_bishops = c.pawns == 1 && c.knights == 0 && c.rooks == 0 && c.queens == 0;
  if (pawn_and_bishops) flags |= PAWN_AND_BISHOPS;
  if (pawn_and_bishops && c.bishops <= 1 && e.Pieces()) flags |= PAWN_AND_BISHOP_VS_PIECE;
  if (c.pawns == 1 && c.knights == 1 && c.bishops == 0 && c.rooks == 0 && c.queens == 0 && e.Pieces())
    flags |= PAWN_AND_KNIGHT_VS_PIECE;
  return flags;
}

// Flags about the whole signature, kept in Black's byte.
uint8_t SignatureFlags(const SideCounts& b, const SideCounts& w) {
  uint8_t flags = 0;
  for (int s = 0; s < 2; ++s) {
    const SideCounts& c = s ? w : b;
    const SideCounts& e = s ? b : w;
    const bool lone_pawn = c.pawns == 1 && c.knights == 0 && c.rooks == 0 && c.queens == 0 && c.bishops <= 1;
    if (lone_pawn && e.Bare()) flags |= LONE_PAWN_ENDING;
  }
  const bool bishops_only = b.bishops == 1 && w.bishops == 1 && b.knights + w.knights + b.rooks + w.rooks +
                                                                      b.queens + w.queens == 0;
  if (bishops_only && std::abs(w.pawns - b.pawns) < 3) flags |= BISHOPS_AND_PAWNS;
  if (b.pawns + w.pawns + b.rooks + w.rooks + b.queens + w.queens == 0 && b.Minors() <= 1 && w.Minors() <= 1)
    flags |= MINOR_DRAW;
  return flags;
}

// The scale index of side c against e (5: no scaling).
int ScaleIndexOf(const SideCounts& c, const SideCounts& e) {
  const int lead = c.Weight() - e.Weight();
  const int q = c.Heavy();
  if (c.pawns == 0) {
    if (c.Weight() == 1) return 0;
    if (c.Weight() == 2 && c.knights == 2) return e.Pieces() == 0 && e.pawns ? 1 : 0;
    if (c.bishops == 2 && c.Weight() == 2 && e.Pieces() == 1 && e.knights == 1 && e.pawns == 0) return 4;
    if (lead <= 1 && q <= 2) return 2;
    return 5;
  }
  if (c.pawns == 1) {
    const bool small = (c.Minors() == 1 && q == 0) || (c.knights == 2 && c.Weight() == 2);
    if (e.Minors()) {
      if (small) return 3;
      if (lead + 1 <= 1 && q <= 2) return 4;
    } else if (e.rooks) {
      if (small) return 3;
      if (lead + 2 < 2 && q < 3) return 4;
    }
  }
  return 5;
}

// Alone against its own kind without pawns: queen or rook each.
bool LoneMajorPair(const SideCounts& b, const SideCounts& w) {
  if (b.pawns || w.pawns || b.Minors() || w.Minors()) return false;
  const bool queens = b.queens == 1 && w.queens == 1 && b.rooks + w.rooks == 0;
  const bool rooks = b.rooks == 1 && w.rooks == 1 && b.queens + w.queens == 0;
  return queens || rooks;
}

// The cache: each entry in two 64-bit words, shared by all search threads
// without a lock. A read racing with a write may mix the words of two
// entries; the XOR check then fails (or, at worst, describes a signature
// consistently) and the entry is recomputed, so a race costs time only.
struct CacheSlot {
  std::atomic<uint64_t> words[2];
};
static_assert(sizeof(CacheSlot) == 16, "16 bytes per entry");

CacheSlot material_cache[MATERIAL_CACHE_SIZE];

uint32_t CheckOf(const MaterialEntry& e) {
  uint32_t words[4];
  std::memcpy(words, &e, sizeof words);
  return words[0] ^ words[1] ^ words[2] ^ words[3];
}

}  // namespace

uint32_t MaterialHash(uint32_t signature) {
  uint32_t x = signature * 32768u + ~signature;
  x = (RotateRight(x, 12) ^ x) * 5u;
  x = (RotateRight(x, 4) ^ x) * 2057u;
  return (RotateRight(x, 16) ^ x) & 0xFFFF;
}

MaterialEntry ComputeMaterialEntry(uint32_t signature) {
  const SideCounts b = CountsOf(signature, BLACK), w = CountsOf(signature, WHITE);
  MaterialEntry e{};
  const int pieces = 320 * (w.Minors() - b.Minors()) + 500 * (w.rooks - b.rooks) + 975 * (w.queens - b.queens);
  int mid = 75 * (w.pawns - b.pawns) + pieces;
  int end = 90 * (w.pawns - b.pawns) + pieces;
  const int pair = (w.bishops >= 2 ? 50 : 0) - (b.bishops >= 2 ? 50 : 0);
  e.mid = static_cast<int16_t>(mid + pair);
  e.end = static_cast<int16_t>(end + pair);

  const int weights = b.Minors() + w.Minors() + 2 * (b.rooks + w.rooks) + 4 * (b.queens + w.queens);
  const int phase_count = std::max(24 - weights, 0);
  e.phase = static_cast<uint8_t>(std::min((phase_count * 256 + 12) / 24, 255));

  int scale_black = 5, scale_white = 5;
  if (b.pawns < 2 || w.pawns < 2) {
    scale_black = ScaleIndexOf(b, w);
    scale_white = ScaleIndexOf(w, b);
  }
  if (LoneMajorPair(b, w)) scale_black = scale_white = 0;
  e.scales = static_cast<uint8_t>(ENTRY_FILLED | scale_white << 3 | scale_black);

  e.flags[BLACK] = SideFlags(b, w) | SignatureFlags(b, w);
  e.flags[WHITE] = SideFlags(w, b);
  e.piece_material[BLACK] = static_cast<uint16_t>(b.PieceMaterial());
  e.piece_material[WHITE] = static_cast<uint16_t>(w.PieceMaterial());
  e.check = 0;
  e.check = CheckOf(e) ^ signature;
  return e;
}

MaterialEntry FetchMaterialEntry(uint32_t signature) {
  CacheSlot& slot = material_cache[MaterialHash(signature)];
  uint64_t words[2] = {slot.words[0].load(std::memory_order_relaxed),
                       slot.words[1].load(std::memory_order_relaxed)};
  MaterialEntry e;
  std::memcpy(&e, words, sizeof e);
  if (CheckOf(e) == signature && (e.scales & ENTRY_FILLED)) return e;
  e = ComputeMaterialEntry(signature);
  StoreMaterialEntry(signature, e);
  return e;
}

void StoreMaterialEntry(uint32_t signature, const MaterialEntry& e) {
  CacheSlot& slot = material_cache[MaterialHash(signature)];
  uint64_t words[2];
  std::memcpy(words, &e, sizeof e);
  slot.words[0].store(words[0], std::memory_order_relaxed);
  slot.words[1].store(words[1], std::memory_order_relaxed);
}

void ClearMaterialCache() {
  for (CacheSlot& slot : material_cache)
    for (std::atomic<uint64_t>& word : slot.words) word.store(0, std::memory_order_relaxed);
}

}  // namespace passive
