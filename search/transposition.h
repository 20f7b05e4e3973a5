// The transposition table: one table of search results shared by every
// search thread, keyed by the position key, without locks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "board/position.h"

// Bound codes are bit sets: bit 0 "the true score is at most this", bit 1
// "at least this"; exact is both.
inline constexpr int BOUND_NONE = 0;
inline constexpr int BOUND_UPPER = 1;
inline constexpr int BOUND_LOWER = 2;
inline constexpr int BOUND_EXACT = 3;

// One entry, two 64-bit words:
//   check        MP builds: position key XOR data; SP builds: the key
//   data  0..15  move (0: none)
//   data 16..23  remaining depth, unsigned 8 bits
//   data 24..25  bound code
//   data 26..27  always 0
//   data 28..31  age of the search that wrote it (0..15)
//   data 32..47  score, signed 16 bits, mate scores in table form
//   data 48..63  reserved, never written
// Shared and racy by design: words are relaxed atomics, so a reader may see
// one writer's check word with another's data word. In MP builds the XOR
// makes such a pair fail the match, so mixed fields are never taken; SP
// builds have one searching thread.
struct TTEntry {
  std::atomic<uint64_t> check;
  std::atomic<uint64_t> data;
};
static_assert(sizeof(TTEntry) == 16, "an entry is 16 bytes");
static_assert(offsetof(TTEntry, check) == 0 && offsetof(TTEntry, data) == 8,
              "check word first, data word second");

// The unpacked fields of an entry's data word.
struct TTData {
  Move move;
  int depth;  // 0..255 as stored
  int bound;
  int age;
  int score;  // table form
};

// Packs and unpacks the data word; the reserved bits come from `reserved`.
uint64_t PackTTData(Move move, int depth, int bound, int age, int score, uint64_t reserved);
TTData UnpackTTData(uint64_t data);

extern TTEntry* tt_table;
extern size_t tt_entry_count;  // 2^(hash_log + 15) + 3
extern uint32_t tt_index_mask;
extern int tt_age;
extern int age_distance[16];

// Allocates a zero-filled table of 2^(hash_log + 15) + 3 entries (a
// bucket of four may run past the masked range). False when out of memory.
bool InitTranspositionTable(int hash_log);
void FreeTranspositionTable();

// Writes a result (score already in table form) by the victim rule and
// the two match cases.
void StoreHash(uint64_t key, Move move, int depth, int bound, int score);

// Starts loading the bucket and the evaluation entry of a position not
// made yet, known by its key alone.
void PrefetchHashEntries(uint64_t key);

// Plain look-up: true when an entry matches; its fields go to *found.
bool ProbeHash(uint64_t key, TTData* found);

// The zero-window probe: *hash_move gets the entry's move (0 without a
// match); true when the entry decides the node, its score in *score.
bool HashCutoff(uint64_t key, int depth, int beta, int ply, Move* hash_move, int* score);

// Mate scores between root distance (search) and node distance (table).
int ToTableScore(int score, int ply);
int FromTableScore(int score, int ply);

// Starts a new search age; only the ages the entries carry move.
void NewSearchAge();

// How full the table is, in thousandths: the share of the first thousand
// entries written by the running (or last) search.
int HashFullPermille();

// New-game reset: age 0, 128 in every entry's depth byte, last entry first.
void ClearHash();

// After an exact root iteration: stores the principal variation's moves
// for the positions along it (deepest first), without disturbing results.
void StuffPV(Position& pos, const Move* pv);
