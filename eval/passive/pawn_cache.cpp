// The Passive pawn cache: 2^18 entries of 12 bytes, indexed by the low
// bits of the pawn key.
#include <atomic>

#include "eval/passive/pawn_structure.h"

namespace passive {

namespace {

// One entry as three 32-bit words, shared by all search threads without a
// lock:
//   word 0          pawn key bits 32..63 XOR word 2
//   word 1 bits  0..15  pawn key bits 16..31 XOR word 1 bits 16..31
//   word 1 bits 16..23  files of Black's passed pawns
//   word 1 bits 24..31  files of White's passed pawns
//   word 2 bits  0..15  middle-game score, bits 16..31 end-game score
// Relaxed atomics make a read racing with a write well defined; a read
// that mixes two writes fails one of the XOR checks and is recomputed.
struct PawnSlot {
  std::atomic<uint32_t> words[3];
};
static_assert(sizeof(PawnSlot) == 12, "12 bytes per entry");

PawnSlot pawn_cache[PASSIVE_PAWN_CACHE_SIZE];

}  // namespace

PawnStructure ProbePawns(const Position& pos) {
  PawnSlot& slot = pawn_cache[pos.pawn_key & (PASSIVE_PAWN_CACHE_SIZE - 1)];
  const uint32_t key_high = static_cast<uint32_t>(pos.pawn_key >> 32);
  const uint32_t key_middle = static_cast<uint32_t>(pos.pawn_key >> 16) & 0xFFFF;
  const uint32_t w0 = slot.words[0].load(std::memory_order_relaxed);
  const uint32_t w1 = slot.words[1].load(std::memory_order_relaxed);
  const uint32_t w2 = slot.words[2].load(std::memory_order_relaxed);
  if ((w0 ^ w2) == key_high && ((w1 ^ (w1 >> 16)) & 0xFFFF) == key_middle) {
    PawnStructure ps;
    ps.score = {static_cast<int16_t>(w2 & 0xFFFF), static_cast<int16_t>(w2 >> 16)};
    ps.passed_files[BLACK] = static_cast<uint8_t>(w1 >> 16);
    ps.passed_files[WHITE] = static_cast<uint8_t>(w1 >> 24);
    return ps;
  }
  const PawnStructure ps = EvaluatePawns(pos);
  const uint32_t data = static_cast<uint32_t>(ps.passed_files[BLACK]) << 16 |
                        static_cast<uint32_t>(ps.passed_files[WHITE]) << 24;
  const uint32_t score = static_cast<uint32_t>(static_cast<uint16_t>(ps.score.mid)) |
                         static_cast<uint32_t>(static_cast<uint16_t>(ps.score.end)) << 16;
  slot.words[0].store(key_high ^ score, std::memory_order_relaxed);
  slot.words[1].store(data | (key_middle ^ (data >> 16)), std::memory_order_relaxed);
  slot.words[2].store(score, std::memory_order_relaxed);
  return ps;
}

void ClearPassivePawnCache() {
  for (PawnSlot& slot : pawn_cache)
    for (std::atomic<uint32_t>& word : slot.words) word.store(0, std::memory_order_relaxed);
}

}  // namespace passive
