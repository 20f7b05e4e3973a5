// The pawn cache: 2^17 entries indexed by the low bits of the pawn key.
#include <atomic>
#include <cstring>

#include "eval/active/pawn_info.h"
#include "eval/active/pawn_structure.h"
#include "platform/platform.h"

namespace {

// One entry holds the 20 cached bytes of PawnInfo in three 64-bit atomic
// words (bytes 0..7, 8..15, 16..19). Threads read and write entries without
// a lock; relaxed atomics keep a concurrent write a defined (if mixed)
// read. A mixed entry is accepted as read: the key check in word 0 still
// belongs to one write, and every byte of a mixed entry is a value some
// pawn structure produced, so the worst outcome is a slightly wrong score.
struct PawnCacheEntry {
  std::atomic<uint64_t> words[3];
};

PawnCacheEntry pawn_cache[PAWN_CACHE_SIZE];

PawnCacheEntry& EntryFor(uint64_t pawn_key) { return pawn_cache[pawn_key & (PAWN_CACHE_SIZE - 1)]; }

}  // namespace

void ProbePawnStructure(const Position& pos, PawnInfo& info) {
  PawnCacheEntry& entry = EntryFor(pos.pawn_key);
  uint64_t words[3];
  for (int i = 0; i < 3; ++i) words[i] = entry.words[i].load(std::memory_order_relaxed);
  const uint32_t key_high = static_cast<uint32_t>(pos.pawn_key >> 32);
  const uint16_t key_middle = static_cast<uint16_t>(pos.pawn_key >> 16);
  if (static_cast<uint32_t>(words[0]) == key_high && static_cast<uint16_t>(words[0] >> 32) == key_middle) {
    std::memcpy(&info, words, PAWN_INFO_CACHED_BYTES);
    info.all_pawns = pos.bitboards[PAWN][WHITE] | pos.bitboards[PAWN][BLACK];
    return;
  }
  EvaluatePawnStructure(pos, info);
  info.key_high = key_high;
  info.key_middle = key_middle;
  uint64_t fresh[3] = {0, 0, 0};
  std::memcpy(fresh, &info, PAWN_INFO_CACHED_BYTES);
  for (int i = 0; i < 3; ++i) entry.words[i].store(fresh[i], std::memory_order_relaxed);
}

void ClearPawnCache() {
  for (PawnCacheEntry& entry : pawn_cache)
    for (std::atomic<uint64_t>& word : entry.words) word.store(0, std::memory_order_relaxed);
}

void PrefetchPawnCache(uint64_t pawn_key) {
  // 24-byte entries: some straddle two cache lines.
  const PawnCacheEntry& entry = EntryFor(pawn_key);
  platform::Prefetch(&entry.words[0]);
  platform::Prefetch(&entry.words[2]);
}

void AdvisePawnCacheHugePages() { platform::AdviseHugePages(pawn_cache, sizeof(pawn_cache)); }
