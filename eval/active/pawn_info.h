// The pawn-structure record and the shared pawn cache that keeps its first
// 20 bytes per pawn key.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/bitboard.h"
#include "board/position.h"

inline constexpr int KING_SIDE = 0;
inline constexpr int QUEEN_SIDE = 1;

// Passer-distribution flags (byte 18).
inline constexpr uint8_t WHITE_PASSER_SPREAD = 1;
inline constexpr uint8_t WHITE_PASSERS_OUTSIDE = 2;
inline constexpr uint8_t BLACK_PASSER_SPREAD = 4;
inline constexpr uint8_t BLACK_PASSERS_OUTSIDE = 8;
inline constexpr uint8_t WHITE_WIDER_GAP = 16;
inline constexpr uint8_t BLACK_WIDER_GAP = 32;

// Bytes 0..19 are cached; file sets have bit 0 = a-file. Arrays by side are
// [BLACK], [WHITE].
struct PawnInfo {
  uint32_t key_high;                // pawn key bits 32..63
  uint16_t key_middle;              // pawn key bits 16..31
  int16_t score;                    // pawn structure, White's view
  uint8_t pawn_files[2];            // files holding the side's pawns
  uint8_t shelter_weakness[2][2];   // [KING_SIDE/QUEEN_SIDE][side]
  uint8_t passed_files[2];          // files holding a passed pawn
  uint8_t candidate_files[2];       // files of candidate passed pawns
  uint8_t distribution_flags;       // passer-distribution flags above
  uint8_t open_files;               // files without any pawn
  // Working fields, not cached.
  Bitboard all_pawns;
};
static_assert(offsetof(PawnInfo, pawn_files) == 8 && offsetof(PawnInfo, shelter_weakness) == 10 &&
                  offsetof(PawnInfo, passed_files) == 14 && offsetof(PawnInfo, candidate_files) == 16 &&
                  offsetof(PawnInfo, distribution_flags) == 18 && offsetof(PawnInfo, open_files) == 19,
              "cached bytes of PawnInfo");
inline constexpr std::size_t PAWN_INFO_CACHED_BYTES = 20;

inline constexpr int PAWN_CACHE_BITS = 17;
inline constexpr uint32_t PAWN_CACHE_SIZE = 1u << PAWN_CACHE_BITS;

// Fills info for the position's pawns: from the cache on a hit (both key
// parts match), else by computing the structure and storing it.
void ProbePawnStructure(const Position& pos, PawnInfo& info);

// Writes the cached bytes of info (its key fields included) into the
// entry of pawn_key.
void StorePawnEntry(uint64_t pawn_key, const PawnInfo& info);

// Makes a cache hit safe to use whatever other write its words were mixed
// with: the pawn, passed and candidate file sets keep only files that hold
// the side's pawns in this position, and the open files follow from them.
void TrimToPawns(const Position& pos, PawnInfo& info);

// Zeroes every cache entry.
void ClearPawnCache();

// Starts loading the entry of the pawn key.
void PrefetchPawnCache(uint64_t pawn_key);

// Asks for huge pages under the cache, before its first use.
void AdvisePawnCacheHugePages();
