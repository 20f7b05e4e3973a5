// The pawn cache: 2^17 entries indexed by the low bits of the pawn key.
#include <atomic>
#include <cstring>

#include "eval/active/pawn_info.h"
#include "eval/active/pawn_structure.h"
#include "eval/eval_geometry.h"
#include "platform/platform.h"

namespace {

// One entry holds the 20 cached bytes of PawnInfo in three 64-bit atomic
// words (bytes 0..7, 8..15, 16..19). Threads read and write entries without
// a lock; relaxed atomics keep a concurrent write a defined (if mixed)
// read. The key check covers word 0 only, so the file sets of a hit may
// come from another pawn structure: they are cut down to the files that
// really hold the side's pawns (see TrimToPawns), because the passer code
// takes the most advanced pawn of each listed file.
struct PawnCacheEntry {
  std::atomic<uint64_t> words[3];
};

PawnCacheEntry pawn_cache[PAWN_CACHE_SIZE];

PawnCacheEntry& EntryFor(uint64_t pawn_key) { return pawn_cache[pawn_key & (PAWN_CACHE_SIZE - 1)]; }

}  // namespace

void TrimToPawns(const Position& pos, PawnInfo& info) {
  for (int side : {BLACK, WHITE}) {
    const uint8_t files = FilesOf(pos.bitboards[PAWN][side]);
    info.pawn_files[side] = files;
    info.passed_files[side] &= files;
    info.candidate_files[side] &= files;
  }
  info.open_files = static_cast<uint8_t>(~(info.pawn_files[WHITE] | info.pawn_files[BLACK]));
}

namespace {

}  // namespace

void ProbePawnStructure(const Position& pos, PawnInfo& info) {
  PawnCacheEntry& entry = EntryFor(pos.pawn_key);
  uint64_t words[3];
  for (int i = 0; i < 3; ++i) words[i] = entry.words[i].load(std::memory_order_relaxed);
  const uint32_t key_high = static_cast<uint32_t>(pos.pawn_key >> 32);
  const uint16_t key_middle = static_cast<uint16_t>(pos.pawn_key >> 16);
  if (static_cast<uint32_t>(words[0]) == key_high && static_cast<uint16_t>(words[0] >> 32) == key_middle) {
    std::memcpy(&info, words, PAWN_INFO_CACHED_BYTES);
    TrimToPawns(pos, info);
    info.all_pawns = pos.bitboards[PAWN][WHITE] | pos.bitboards[PAWN][BLACK];
    return;
  }
  EvaluatePawnStructure(pos, info);
  info.key_high = key_high;
  info.key_middle = key_middle;
  StorePawnEntry(pos.pawn_key, info);
}

void StorePawnEntry(uint64_t pawn_key, const PawnInfo& info) {
  PawnCacheEntry& entry = EntryFor(pawn_key);
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
