#include "search/transposition.h"

#include <new>

#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/search.h"

TTEntry* tt_table = nullptr;
size_t tt_entry_count = 0;
uint32_t tt_index_mask = 0;
int tt_age = 0;
int age_distance[16];

namespace {

platform::LargeBlock tt_block = {nullptr, 0, false};

constexpr int BUCKET_SIZE = 4;
constexpr int SPARE_ENTRIES = BUCKET_SIZE - 1;
// Depth, bound, the two zero bits and age: bits 16..31 of the data word.
constexpr uint64_t CLEARED_FIELDS = 0xFFFFull << 16;
constexpr uint64_t CLEARED_DEPTH = 128ull << 16;
constexpr uint64_t RESERVED_FIELD = 0xFFFFull << 48;

// The check word a writer stores for this key and data word.
uint64_t CheckWord(uint64_t key, uint64_t data) { return BUILD_MP ? key ^ data : key; }

// Does a copied pair of words belong to the key?
bool Matches(uint64_t key, uint64_t check, uint64_t data) {
  return BUILD_MP ? (check ^ data) == key : check == key;
}

TTEntry* Bucket(uint64_t key) {
  return tt_table + (static_cast<uint32_t>(key) & tt_index_mask);
}

// Data word first, check word second, as the format requires.
void WriteEntry(TTEntry& entry, uint64_t key, uint64_t data) {
  entry.data.store(data, std::memory_order_relaxed);
  entry.check.store(CheckWord(key, data), std::memory_order_relaxed);
}

// Copies both words, then tests them, so a half-written entry fails.
bool ReadEntry(const TTEntry& entry, uint64_t key, uint64_t* data) {
  const uint64_t check = entry.check.load(std::memory_order_relaxed);
  *data = entry.data.load(std::memory_order_relaxed);
  return Matches(key, check, *data);
}

void RecomputeAgeDistance() {
  for (int a = 0; a < 16; ++a) age_distance[a] = (tt_age - a) & 15;
}

// Older first, then shallower, then the lower bound code.
int VictimPriority(const TTData& d) {
  return (age_distance[d.age] * 256 - d.depth) * 4 - d.bound;
}

void PrefetchBucket(uint64_t key) {
  const TTEntry* bucket = Bucket(key);
  // Buckets are not aligned: the four entries may span two cache lines.
  platform::Prefetch(bucket);
  platform::Prefetch(bucket + BUCKET_SIZE - 1);
}

// Installed as the board's key hook: a new position's bucket and
// evaluation entries start loading while make finishes and the search
// gets to its probes.
void PrefetchPositionEntries(const Position& pos) {
  PrefetchBucket(pos.key);
  PrefetchEvaluation(pos);
}

}  // namespace

void PrefetchHashEntries(uint64_t key) {
  PrefetchBucket(key);
  PrefetchEvaluationByKey(key);
}

uint64_t PackTTData(Move move, int depth, int bound, int age, int score, uint64_t reserved) {
  return static_cast<uint64_t>(move) | (static_cast<uint64_t>(depth & 0xFF) << 16) |
         (static_cast<uint64_t>(bound & 3) << 24) | (static_cast<uint64_t>(age & 15) << 28) |
         (static_cast<uint64_t>(static_cast<uint16_t>(score)) << 32) | (reserved & RESERVED_FIELD);
}

TTData UnpackTTData(uint64_t data) {
  TTData d;
  d.move = static_cast<Move>(data & 0xFFFF);
  d.depth = static_cast<int>((data >> 16) & 0xFF);
  d.bound = static_cast<int>((data >> 24) & 3);
  d.age = static_cast<int>((data >> 28) & 15);
  d.score = static_cast<int16_t>((data >> 32) & 0xFFFF);
  return d;
}

bool InitTranspositionTable(int hash_log) {
  FreeTranspositionTable();
  const size_t buckets = size_t{1} << (hash_log + 15);
  const size_t count = buckets + SPARE_ENTRIES;
  tt_block = platform::AllocateLarge(count * sizeof(TTEntry));
  if (tt_block.memory == nullptr) return false;
  // The block is already zero; constructing the atomics only starts their
  // lifetime with the same zero value.
  tt_table = new (tt_block.memory) TTEntry[count];
  tt_entry_count = count;
  tt_index_mask = static_cast<uint32_t>(buckets - 1);
  tt_age = 0;
  RecomputeAgeDistance();
  key_known_hook = PrefetchPositionEntries;
  return true;
}

void FreeTranspositionTable() {
  if (tt_table == nullptr) return;
  key_known_hook = nullptr;
  platform::FreeLarge(tt_block);
  tt_table = nullptr;
  tt_entry_count = 0;
  tt_index_mask = 0;
}

void StoreHash(uint64_t key, Move move, int depth, int bound, int score) {
  TTEntry* bucket = Bucket(key);
  for (int i = 0; i < BUCKET_SIZE; ++i) {
    uint64_t data;
    if (!ReadEntry(bucket[i], key, &data)) continue;
    TTData old = UnpackTTData(data);
    if (old.depth > depth) {
      // A deeper result stays; it only gains a move it lacked and is
      // marked as used by this search.
      const Move kept = old.move != 0 ? old.move : move;
      data = PackTTData(kept, old.depth, old.bound, tt_age, old.score, data);
    } else {
      const Move kept = move != 0 ? move : old.move;
      data = PackTTData(kept, depth, bound, tt_age, score, data);
    }
    WriteEntry(bucket[i], key, data);
    return;
  }
  int victim = 0;
  int best_priority = 0;
  for (int i = 0; i < BUCKET_SIZE; ++i) {
    const uint64_t data = bucket[i].data.load(std::memory_order_relaxed);
    const int priority = VictimPriority(UnpackTTData(data));
    if (i == 0 || priority > best_priority) {
      victim = i;
      best_priority = priority;
    }
  }
  const uint64_t reserved = bucket[victim].data.load(std::memory_order_relaxed);
  WriteEntry(bucket[victim], key, PackTTData(move, depth, bound, tt_age, score, reserved));
}

bool ProbeHash(uint64_t key, TTData* found) {
  const TTEntry* bucket = Bucket(key);
  for (int i = 0; i < BUCKET_SIZE; ++i) {
    uint64_t data;
    if (ReadEntry(bucket[i], key, &data)) {
      *found = UnpackTTData(data);
      return true;
    }
  }
  return false;
}

bool HashCutoff(uint64_t key, int depth, int beta, int ply, Move* hash_move, int* score) {
  TTData d;
  *hash_move = 0;
  if (!ProbeHash(key, &d)) return false;
  *hash_move = d.move;
  int bound = d.bound;
  if (d.depth < depth) {
    // A shallow mate score still bounds the node in its own direction.
    if (d.score < -MATE_BOUND && (bound & BOUND_UPPER)) {
      bound = BOUND_UPPER;
    } else if (d.score > MATE_BOUND && (bound & BOUND_LOWER)) {
      bound = BOUND_LOWER;
    } else {
      return false;
    }
  }
  const int value = FromTableScore(d.score, ply);
  if (bound == BOUND_EXACT || ((bound & BOUND_LOWER) && value >= beta) ||
      ((bound & BOUND_UPPER) && value < beta)) {
    *score = value;
    return true;
  }
  return false;
}

int ToTableScore(int score, int ply) {
  if (score > MATE_BOUND) return score + ply;
  if (score < -MATE_BOUND) return score - ply;
  return score;
}

int FromTableScore(int score, int ply) {
  if (score < -MATE_BOUND) return score + ply;
  if (score > MATE_BOUND) return score - ply;
  return score;
}

void NewSearchAge() {
  tt_age = (tt_age + 1) & 15;
  RecomputeAgeDistance();
}

int HashFullPermille() {
  constexpr size_t SAMPLE = 1000;
  const size_t sample = tt_entry_count < SAMPLE ? tt_entry_count : SAMPLE;
  int used = 0;
  for (size_t i = 0; i < sample; ++i) {
    const TTData data = UnpackTTData(tt_table[i].data.load(std::memory_order_relaxed));
    // Every stored result has a bound; a cleared entry has none.
    if (data.age == tt_age && data.bound != BOUND_NONE) ++used;
  }
  return sample == 0 ? 0 : static_cast<int>(used * 1000 / sample);
}

void ClearHash() {
  tt_age = 0;
  for (int& d : age_distance) d = 0;
  for (size_t i = tt_entry_count; i-- > 0;) {
    TTEntry& entry = tt_table[i];
    const uint64_t old_data = entry.data.load(std::memory_order_relaxed);
    // Depth 128 with age and bound zero: every cleared entry looks the
    // same to the victim rule, so a search after a new game does not
    // depend on earlier games, and cleared entries are taken first.
    const uint64_t new_data = (old_data & ~CLEARED_FIELDS) | CLEARED_DEPTH;
    entry.data.store(new_data, std::memory_order_relaxed);
    if (!BUILD_MP) {
      // The key in the clear would still match, with a depth that looks
      // deeper than any search; disturbing the check word as the XOR does
      // in MP builds empties the table in both flavours.
      const uint64_t check = entry.check.load(std::memory_order_relaxed);
      entry.check.store(check ^ old_data ^ new_data, std::memory_order_relaxed);
    }
  }
}

void StuffPV(Position& pos, const Move* pv) {
  const Move move = pv[0];
  if (move == 0 || !MoveIsValid(pos, move)) return;
  const uint64_t key = pos.key;
  UndoRecord undo;
  SaveState(pos, undo);
  MakeMove(pos, undo, move, -1);
  StuffPV(pos, pv + 1);
  StoreHash(key, move, -127, BOUND_NONE, -MATE);
  UnmakeMove(pos, undo, move);
}
