// Pawn-structure terms and king-shelter values, and the shared cache that
// keeps them per pawn key.
#include "eval/inert/inert_pawns.h"

#include <atomic>
#include <cstring>

#include "board/attacks.h"
#include "eval/eval_geometry.h"
#include "eval/inert/inert_params.h"

namespace inert {

// Shelter penalties of a wing's three files. Own pawns: a file is whole
// with its pawn on the 2nd rank, costs 300 with it on the 3rd and 1000
// with neither. Row = 3rd-rank pattern, column = 2nd-rank pattern.
const int16_t OWN_SHELTER[64] = {
    3000, 2000, 2000, 1000, 2000, 1000, 1000,    0,  // 3rd rank: none
    2300, 2000, 1300, 1000, 1300, 1000,  300,    0,  // first file
    2300, 1300, 2000, 1000, 1300,  300, 1000,    0,  // middle file
    1600, 1300, 1300, 1000,  600,  300,  300,    0,  // first, middle
    2300, 1300, 1300,  300, 2000, 1000, 1000,    0,  // last file
    1600, 1300,  600,  300, 1300, 1000,  300,    0,  // first, last
    1600,  600, 1300,  300, 1300,  300, 1000,    0,  // middle, last
     900,  600,  600,  300,  600,  300,  300,    0,  // all three
};

// Enemy pawns storming the wing: 600 per file with one on the 3rd rank,
// else 300 with one on the 4th. Row = 4th-rank pattern, column = 3rd.
const int16_t ENEMY_STORM[64] = {
       0,  600,  600, 1200,  600, 1200, 1200, 1800,  // 4th rank: none
     300,  600,  900, 1200,  900, 1200, 1500, 1800,  // first file
     300,  900,  600, 1200,  900, 1500, 1200, 1800,  // middle file
     600,  900,  900, 1200, 1200, 1500, 1500, 1800,  // first, middle
     300,  900,  900, 1500,  600, 1200, 1200, 1800,  // last file
     600,  900, 1200, 1500,  900, 1200, 1500, 1800,  // first, last
     600, 1200,  900, 1500,  900, 1500, 1200, 1800,  // middle, last
     900, 1200, 1200, 1500, 1200, 1500, 1500, 1800,  // all three
};

namespace {

// First file of each wing.
constexpr int WING_FIRST_FILE[3] = {0, 3, 5};

// One cache entry: the 24 bytes of the entry format in three 64-bit
// atomic words, read and written with relaxed order.
//   bytes 0..3   pawn key bits 32..63 XOR the 32-bit words at bytes 8..23
//   bytes 4..5   pawn key bits 16..31 XOR bytes 6..7
//   byte  6, 7   Black's, White's passed files
//   bytes 8..11  midgame and endgame score
//   bytes 12..23 shelter values: Black's three wings, then White's
// Threads share entries without a lock. A reader that sees words of two
// different writes finds the check no longer matches its key (the check
// covers every data byte) and recomputes; a race costs time, never a
// wrong structure.
struct InertPawnEntry {
  std::atomic<uint64_t> words[3];
};
static_assert(sizeof(InertPawnEntry) == 24, "24-byte entries");

InertPawnEntry inert_pawn_cache[INERT_PAWN_CACHE_SIZE];

// The three data words of an entry for info (byte 4..5 left for the key).
void PackInfo(const InertPawnInfo& info, uint64_t (&words)[3]) {
  uint8_t bytes[24] = {};
  bytes[6] = info.passed_files[BLACK];
  bytes[7] = info.passed_files[WHITE];
  std::memcpy(bytes + 8, &info.mid, 2);
  std::memcpy(bytes + 10, &info.end, 2);
  std::memcpy(bytes + 12, info.shelter, 12);
  std::memcpy(words, bytes, 24);
}

InertPawnInfo UnpackInfo(const uint64_t (&words)[3]) {
  uint8_t bytes[24];
  std::memcpy(bytes, words, 24);
  InertPawnInfo info;
  info.passed_files[BLACK] = bytes[6];
  info.passed_files[WHITE] = bytes[7];
  std::memcpy(&info.mid, bytes + 8, 2);
  std::memcpy(&info.end, bytes + 10, 2);
  std::memcpy(info.shelter, bytes + 12, 12);
  return info;
}

// XOR of the 32-bit words at bytes 8..23.
uint32_t DataCheck(const uint64_t (&words)[3]) {
  const uint64_t folded = words[1] ^ words[2];
  return static_cast<uint32_t>(folded) ^ static_cast<uint32_t>(folded >> 32);
}

// The two check parts of word 0 for a key and the data words.
uint64_t CheckWord(uint64_t pawn_key, const uint64_t (&words)[3]) {
  const uint32_t high = static_cast<uint32_t>(pawn_key >> 32) ^ DataCheck(words);
  const uint16_t middle = static_cast<uint16_t>(pawn_key >> 16) ^ static_cast<uint16_t>(words[0] >> 48);
  return high | static_cast<uint64_t>(middle) << 32;
}

// Squares of the side's relative ranks 0..relative (beside or behind a
// pawn on that rank; pawns stand on relative ranks 1..6).
Bitboard UpToRank(int side, int relative) {
  return side == WHITE ? (1ULL << (8 * (relative + 1))) - 1 : ~((1ULL << (8 * (7 - relative))) - 1);
}

// The 3-bit pattern of a wing's files on one board rank.
int WingPattern(Bitboard pawns, int board_rank, int wing) {
  return static_cast<int>((pawns >> (8 * board_rank + WING_FIRST_FILE[wing])) & 7);
}

// Board rank of the side's relative rank.
int BoardRank(int side, int relative) { return side == WHITE ? relative : 7 - relative; }

// Weakness of the side's king shelter on a wing.
int ShelterValue(const Position& pos, int side, int wing) {
  const Bitboard own = pos.bitboards[PAWN][side];
  const Bitboard enemy = pos.bitboards[PAWN][side ^ 1];
  const int own_index =
      WingPattern(own, BoardRank(side, 1), wing) | WingPattern(own, BoardRank(side, 2), wing) << 3;
  const int storm_index =
      WingPattern(enemy, BoardRank(side, 2), wing) | WingPattern(enemy, BoardRank(side, 3), wing) << 3;
  return OWN_SHELTER[own_index] + ENEMY_STORM[storm_index];
}

// Adds one pawn's terms, as penalties or bonuses of its owner.
void ScorePawn(const Position& pos, int side, int sq, int& mid, int& end, uint8_t& passed) {
  const int sign = side == WHITE ? 1 : -1;
  const Bitboard own = pos.bitboards[PAWN][side];
  const Bitboard enemy = pos.bitboards[PAWN][side ^ 1];
  const int r = RelativeRank(side, sq);
  const Bitboard ahead = RayFrom(pawn_step[side], sq);
  const bool open = !((own | enemy) & ahead);
  const bool doubled = SeveralBits(own & FileMask(FileOf(sq)));
  int pen_mid = 0, pen_end = 0;
  if (doubled) pen_end += DoubledEnd;
  const Bitboard neighbours = own & adjacent_files[sq];
  if (!neighbours) {
    pen_end += IsolatedEnd;
    if (open) {
      pen_mid += IsolatedOpenMid + (doubled ? 14 : 0);
    } else {
      pen_mid += IsolatedClosedMid + (doubled ? 1 : 0);
    }
    if (doubled) pen_end += 5;
  } else if (!(neighbours & UpToRank(side, r)) && (pawn_attacks[sq + pawn_step[side]][side] & enemy)) {
    pen_mid += open ? BackwardOpenMid : BackwardClosedMid;
    pen_end += BackwardEnd;
  }
  mid -= sign * pen_mid;
  end -= sign * pen_end;

  const Bitboard sentries = enemy & front_span[sq][side];
  if (!sentries) {
    passed |= static_cast<uint8_t>(1 << FileOf(sq));
  } else if (open) {
    // A candidate: at least as many own pawns beside or behind it on the
    // neighbouring files as enemy pawns ahead of it there.
    const int supporters = BitCount(neighbours & UpToRank(side, r));
    if (supporters >= BitCount(sentries)) {
      mid += sign * CandidateMid[r];
      end += sign * CandidateEnd[r];
    }
  }
}

}  // namespace

InertPawnInfo EvaluateInertPawns(const Position& pos) {
  InertPawnInfo info{};
  int mid = 0, end = 0;
  for (int side = BLACK; side <= WHITE; ++side) {
    for (Bitboard pawns = pos.bitboards[PAWN][side]; pawns; pawns &= pawns - 1)
      ScorePawn(pos, side, FirstBit(pawns), mid, end, info.passed_files[side]);
    for (int wing = 0; wing < 3; ++wing) info.shelter[side][wing] = static_cast<int16_t>(ShelterValue(pos, side, wing));
  }
  info.mid = static_cast<int16_t>(mid);
  info.end = static_cast<int16_t>(end);
  return info;
}

InertPawnInfo ProbeInertPawns(const Position& pos) {
  // The key of a pawnless board checks equal to an emptied entry, whose
  // zero shelters would read as perfect cover; such boards are cheap to
  // compute and are not cached.
  if ((pos.pawn_key >> 16) == 0) return EvaluateInertPawns(pos);
  InertPawnEntry& entry = inert_pawn_cache[pos.pawn_key & (INERT_PAWN_CACHE_SIZE - 1)];
  uint64_t words[3];
  for (int i = 0; i < 3; ++i) words[i] = entry.words[i].load(std::memory_order_relaxed);
  if ((words[0] & 0xFFFFFFFFFFFFull) == CheckWord(pos.pawn_key, words)) return UnpackInfo(words);
  const InertPawnInfo info = EvaluateInertPawns(pos);
  PackInfo(info, words);
  words[0] |= CheckWord(pos.pawn_key, words);
  for (int i = 0; i < 3; ++i) entry.words[i].store(words[i], std::memory_order_relaxed);
  return info;
}

void ClearInertPawnCache() {
  for (InertPawnEntry& entry : inert_pawn_cache)
    for (std::atomic<uint64_t>& word : entry.words) word.store(0, std::memory_order_relaxed);
}

}  // namespace inert
