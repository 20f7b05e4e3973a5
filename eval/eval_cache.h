// The evaluation cache shared by all search threads, and the fifty-move
// fade applied to every score the evaluation hands out.
#pragma once

#include <atomic>
#include <cstdint>

// Score half of an entry meaning "empty"; no real score takes this value.
inline constexpr int EVAL_CACHE_EMPTY = -32768;

inline constexpr int EVAL_CACHE_BITS = 20;
inline constexpr uint32_t EVAL_CACHE_SIZE = 1u << EVAL_CACHE_BITS;

// One entry: the three 32-bit words of the cache format, held in two
// 64-bit atomic words so that a read racing with another thread's write is
// a well-defined (possibly mixed) read, never undefined behaviour.
//   check bits  0..31  word 0: material signature of the stored position
//   check bits 32..63  word 1: position key bits 32..63 XOR word 2
//   data  bits  0..15  word 2 low: position key bits 16..31
//   data  bits 16..31  word 2 high: score, signed 16-bit, side to move's view
//   data  bits 32..63  unused (zero)
// The race is harmless: a reader that sees the check word of one write and
// the data word of another finds word 1 XOR word 2 no longer equal to its
// key's upper half and treats the entry as a miss; at worst an entry is
// lost, never a wrong score taken for another position's.
struct EvalCacheEntry {
  std::atomic<uint64_t> check;
  std::atomic<uint64_t> data;
};
static_assert(sizeof(EvalCacheEntry) == 16, "two words per entry");

// Looks up the position; on a hit stores the side-to-move score in *score.
bool ProbeEvalCache(uint64_t key, uint32_t material, int* score);

// Records a side-to-move score (before the fade) for the position.
void StoreEvalCache(uint64_t key, uint32_t material, int score);

// Starts loading the entry of the position key.
void PrefetchEvalCache(uint64_t key);

// Asks for huge pages under the cache, before its first use.
void AdviseEvalCacheHugePages();

// Marks every entry empty (score half -32768).
void ClearEvalCache();

// Scales a score down once 50 half-moves have passed without a capture or
// pawn move: full value up to 49, falling linearly to 0 at 100.
int FadeByFiftyClock(int score, int fifty_clock);
