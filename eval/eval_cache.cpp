// Evaluation cache and fifty-move fade.
#include "eval/eval_cache.h"

#include <algorithm>

#include "platform/platform.h"

namespace {

// Zero-initialised static storage; ClearEvalCache runs at every new game.
EvalCacheEntry eval_cache[EVAL_CACHE_SIZE];

// The key parts an entry keeps: bits 32..63 and bits 16..31.
uint32_t KeyHigh(uint64_t key) { return static_cast<uint32_t>(key >> 32); }
uint32_t KeyMiddle(uint64_t key) { return static_cast<uint32_t>(key >> 16) & 0xFFFF; }

}  // namespace

bool ProbeEvalCache(uint64_t key, uint32_t material, int* score) {
  const EvalCacheEntry& entry = eval_cache[key & (EVAL_CACHE_SIZE - 1)];
  const uint64_t check = entry.check.load(std::memory_order_relaxed);
  const uint32_t word2 = static_cast<uint32_t>(entry.data.load(std::memory_order_relaxed));
  const uint32_t word0 = static_cast<uint32_t>(check);
  const uint32_t word1 = static_cast<uint32_t>(check >> 32);
  if ((word1 ^ word2) != KeyHigh(key) || (word2 & 0xFFFF) != KeyMiddle(key) || word0 != material)
    return false;
  const int stored = static_cast<int16_t>(word2 >> 16);
  if (stored == EVAL_CACHE_EMPTY) return false;
  *score = stored;
  return true;
}

void StoreEvalCache(uint64_t key, uint32_t material, int score) {
  EvalCacheEntry& entry = eval_cache[key & (EVAL_CACHE_SIZE - 1)];
  const uint32_t word2 = (static_cast<uint32_t>(static_cast<uint16_t>(score)) << 16) | KeyMiddle(key);
  const uint32_t word1 = KeyHigh(key) ^ word2;
  entry.check.store((static_cast<uint64_t>(word1) << 32) | material, std::memory_order_relaxed);
  entry.data.store(word2, std::memory_order_relaxed);
}

void PrefetchEvalCache(uint64_t key) { platform::Prefetch(&eval_cache[key & (EVAL_CACHE_SIZE - 1)]); }

void AdviseEvalCacheHugePages() { platform::AdviseHugePages(eval_cache, sizeof(eval_cache)); }

void ClearEvalCache() {
  const uint64_t empty = static_cast<uint64_t>(static_cast<uint16_t>(EVAL_CACHE_EMPTY)) << 16;
  for (EvalCacheEntry& entry : eval_cache) {
    entry.check.store(0, std::memory_order_relaxed);
    entry.data.store(empty, std::memory_order_relaxed);
  }
}

int FadeByFiftyClock(int score, int fifty_clock) {
  if (fifty_clock < 50) return score;
  return (100 - std::min(fifty_clock, 100)) * score / 50;
}
