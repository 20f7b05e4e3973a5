// The geometric tables and attack queries. The tables are written once by
// InitAttackTables on the main thread before any other thread starts and
// are read-only afterwards.
#include "board/attacks.h"

#include <cstdlib>
#include <cstring>

uint8_t first_bit8[256];
uint8_t last_bit8[256];
Bitboard square_bit[64];

uint8_t distance[64][64];
Bitboard ray[19][64];
int8_t direction[64][64];
Bitboard between[64][64];
Bitboard king_attacks[64];
Bitboard knight_attacks[64];
Bitboard pawn_attacks[64][2];
Bitboard ep_neighbours[64];
Bitboard file_bit[64];
Bitboard a1h8_bit[64];
Bitboard h1a8_bit[64];
uint8_t a1h8_shift[64];
uint8_t h1a8_shift[64];
Bitboard rank_attacks[64][64];
Bitboard file_attacks[64][64];
Bitboard a1h8_attacks[64][64];
Bitboard h1a8_attacks[64][64];
Bitboard front_span[64][2];
Bitboard adjacent_files[64];

namespace {

// The eight line steps: the diagonals first, then the straight ones.
constexpr int LINE_STEPS[8] = {-9, -7, 7, 9, -8, -1, 1, 8};

// Knight jumps as (file, rank) offsets.
constexpr int KNIGHT_JUMPS[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2},
                                    {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};

// The file and rank lie on the board.
bool OnBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

// Numbers the squares diagonal by diagonal and gives square with number n
// the bit 63 - n. `key` names the diagonal (file - rank or file + rank);
// diagonals are taken from key `first` stepping by `step`, inside a
// diagonal from the lowest file up.
void NumberDiagonals(Bitboard* bits, int first, int step, bool sum) {
  int n = 0;
  for (int key = first; key >= -7 && key <= 14; key += step) {
    for (int file = 0; file < 8; ++file) {
      const int rank = sum ? key - file : file - key;
      if (rank < 0 || rank > 7) continue;
      bits[SquareOf(file, rank)] = 1ULL << (63 - n);
      ++n;
      if (n == 64) return;
    }
  }
}

// Distances, the one-bit boards of every layout and the byte tables.
void InitBitsAndLayouts() {
  for (int a = 0; a < 64; ++a) {
    square_bit[a] = 1ULL << a;
    file_bit[a] = 1ULL << (8 * FileOf(a) + 7 - RankOf(a));
    for (int b = 0; b < 64; ++b) {
      const int df = std::abs(FileOf(a) - FileOf(b)), dr = std::abs(RankOf(a) - RankOf(b));
      distance[a][b] = static_cast<uint8_t>(df > dr ? df : dr);
    }
  }
  NumberDiagonals(a1h8_bit, 7, -1, false);  // h1 corner (file - rank = 7) to a8
  NumberDiagonals(h1a8_bit, 0, 1, true);    // a1 corner (file + rank = 0) to h8
  for (int byte = 0; byte < 256; ++byte) {
    first_bit8[byte] = last_bit8[byte] = 8;
    for (int bit = 7; bit >= 0; --bit)
      if (byte & (1 << bit)) first_bit8[byte] = static_cast<uint8_t>(bit);
    for (int bit = 0; bit < 8; ++bit)
      if (byte & (1 << bit)) last_bit8[byte] = static_cast<uint8_t>(bit);
  }
}

// Pawn, en-passant neighbour, king and knight sets.
void InitLeaperTables() {
  for (int a = 0; a < 64; ++a) {
    ep_neighbours[a] = pawn_attacks[a][BLACK] = pawn_attacks[a][WHITE] = 0;
    king_attacks[a] = knight_attacks[a] = 0;
    for (int b = 0; b < 64; ++b) {
      if (std::abs(FileOf(a) - FileOf(b)) != 1) continue;
      const int rank_diff = RankOf(b) - RankOf(a);
      if (rank_diff == -1) pawn_attacks[a][BLACK] |= square_bit[b];
      if (rank_diff == 1) pawn_attacks[a][WHITE] |= square_bit[b];
      if (rank_diff == 0 && (RankOf(a) == 3 || RankOf(a) == 4)) ep_neighbours[a] |= square_bit[b];
    }
    for (int b = 0; b < 64; ++b)
      if (distance[a][b] == 1) king_attacks[a] |= square_bit[b];
    for (const auto& jump : KNIGHT_JUMPS) {
      const int file = FileOf(a) + jump[0], rank = RankOf(a) + jump[1];
      if (OnBoard(file, rank)) knight_attacks[a] |= square_bit[SquareOf(file, rank)];
    }
  }
}

// The index of the single bit of a one-bit board.
int BitIndex(Bitboard b) { return FirstBit(b); }

// Fills one slider table: for each square, its line (the squares reached by
// steps of +-step) ordered by their bit in the layout, the pattern of the
// inner cells read six bits above the line's lowest bit.
void InitLineTable(Bitboard table[64][64], const Bitboard* layout, int step, uint8_t* shift) {
  for (int sq = 0; sq < 64; ++sq) {
    int cells[8];
    int len = 0;
    const Bitboard line = square_bit[sq] | RayFrom(step, sq) | RayFrom(-step, sq);
    for (Bitboard b = line; b; b &= b - 1) cells[len++] = FirstBit(b);
    // Order the cells by layout bit; the lowest bit is cell 0.
    for (int i = 1; i < len; ++i)
      for (int j = i; j > 0 && BitIndex(layout[cells[j]]) < BitIndex(layout[cells[j - 1]]); --j) {
        const int swap = cells[j];
        cells[j] = cells[j - 1];
        cells[j - 1] = swap;
      }
    const int lowest = BitIndex(layout[cells[0]]);
    int place = 0;
    while (cells[place] != sq) ++place;
    if (shift) shift[sq] = static_cast<uint8_t>(lowest + 1);
    for (int pattern = 0; pattern < 64; ++pattern) {
      const uint8_t occ = static_cast<uint8_t>((pattern << 1) & ((1 << len) - 1));
      const uint8_t reached = LineAttacks(place, occ, len);
      Bitboard set = 0;
      for (int cell = 0; cell < len; ++cell)
        if (reached & (1 << cell)) set |= square_bit[cells[cell]];
      table[sq][pattern] = set;
    }
  }
}

// Rays (diagonal steps first), then direction and between from them.
void InitRaysAndLines() {
  std::memset(ray, 0, sizeof ray);
  std::memset(direction, 0, sizeof direction);
  std::memset(between, 0xFF, sizeof between);
  for (int d : LINE_STEPS) {
    for (int sq = 0; sq < 64; ++sq) {
      Bitboard set = 0;
      for (int s = sq; s + d >= 0 && s + d < 64 && distance[s][s + d] == 1; s += d)
        set |= square_bit[s + d];
      ray[d + 9][sq] = set;
    }
  }
  for (int d : LINE_STEPS)
    for (int a = 0; a < 64; ++a)
      for (Bitboard targets = ray[d + 9][a]; targets; targets &= targets - 1) {
        const int b = FirstBit(targets);
        direction[a][b] = static_cast<int8_t>(d);
        between[a][b] = ray[d + 9][b - d] ^ ray[d + 9][a];
      }
}

// Front spans and adjacent files.
void InitSpans() {
  for (int sq = 0; sq < 64; ++sq) {
    for (int side = BLACK; side <= WHITE; ++side) {
      const int d = pawn_step[side];
      Bitboard span = RayFrom(d, sq);
      if (FileOf(sq) > 0) span |= RayFrom(d, sq - 1);
      if (FileOf(sq) < 7) span |= RayFrom(d, sq + 1);
      front_span[sq][side] = span;
    }
    adjacent_files[sq] = 0;
    if (FileOf(sq) > 0) adjacent_files[sq] |= FILE_A << (FileOf(sq) - 1);
    if (FileOf(sq) < 7) adjacent_files[sq] |= FILE_A << (FileOf(sq) + 1);
  }
}

// The nearest piece beyond sq along step d is a slider of side `by` moving
// along d, or a queen of that side.
bool SliderBeyond(const Position& pos, int sq, int d, int by) {
  const Bitboard beyond = RayFrom(d, sq) & Occupancy(pos);
  if (!beyond) return false;
  const int code = pos.board[NearestOnRay(beyond, d)];
  return code == PieceCode(by, SliderKindOf(d)) || code == PieceCode(by, QUEEN);
}

}  // namespace

uint8_t LineAttacks(int p, uint8_t occ, int len) {
  unsigned reached = 0;
  for (int cell = p + 1; cell <= 7; ++cell) {
    reached |= 1u << cell;
    if (occ & (1u << cell)) break;
  }
  for (int cell = p - 1; cell >= 0; --cell) {
    reached |= 1u << cell;
    if (occ & (1u << cell)) break;
  }
  return static_cast<uint8_t>(reached & ((1u << len) - 1));
}

void InitAttackTables() {
  InitBitsAndLayouts();
  InitLeaperTables();
  InitRaysAndLines();  // the line walks below follow the rays
  Bitboard plain_bit[64];
  for (int sq = 0; sq < 64; ++sq) plain_bit[sq] = square_bit[sq];
  InitLineTable(rank_attacks, plain_bit, 1, nullptr);
  InitLineTable(file_attacks, file_bit, 8, nullptr);
  InitLineTable(a1h8_attacks, a1h8_bit, 9, a1h8_shift);
  InitLineTable(h1a8_attacks, h1a8_bit, 7, h1a8_shift);
  InitSpans();
}

bool SquareAttacked(const Position& pos, int sq, int by) {
  if (pawn_attacks[sq][by ^ 1] & pos.bitboards[PAWN][by]) return true;
  if (knight_attacks[sq] & pos.bitboards[KNIGHT][by]) return true;
  const Bitboard queens = pos.bitboards[QUEEN][by];
  if (BishopAttacks(pos, sq) & (pos.bitboards[BISHOP][by] | queens)) return true;
  if (RookAttacks(pos, sq) & (pos.bitboards[ROOK][by] | queens)) return true;
  return (king_attacks[sq] & pos.bitboards[KING][by]) != 0;
}

Bitboard AttackersOf(const Position& pos, int sq, int by) {
  const Bitboard queens = pos.bitboards[QUEEN][by];
  return (pawn_attacks[sq][by ^ 1] & pos.bitboards[PAWN][by]) |
         (knight_attacks[sq] & pos.bitboards[KNIGHT][by]) |
         (BishopAttacks(pos, sq) & (pos.bitboards[BISHOP][by] | queens)) |
         (RookAttacks(pos, sq) & (pos.bitboards[ROOK][by] | queens)) |
         (king_attacks[sq] & pos.bitboards[KING][by]);
}

Bitboard AllAttackers(const Position& pos, int sq) {
  const Bitboard queens = pos.bitboards[QUEEN][BLACK] | pos.bitboards[QUEEN][WHITE];
  const Bitboard diagonal = pos.bitboards[BISHOP][BLACK] | pos.bitboards[BISHOP][WHITE] | queens;
  const Bitboard straight = pos.bitboards[ROOK][BLACK] | pos.bitboards[ROOK][WHITE] | queens;
  return (pawn_attacks[sq][BLACK] & pos.bitboards[PAWN][WHITE]) |
         (pawn_attacks[sq][WHITE] & pos.bitboards[PAWN][BLACK]) |
         (knight_attacks[sq] & (pos.bitboards[KNIGHT][BLACK] | pos.bitboards[KNIGHT][WHITE])) |
         (BishopAttacks(pos, sq) & diagonal) | (RookAttacks(pos, sq) & straight) |
         (king_attacks[sq] & (pos.bitboards[KING][BLACK] | pos.bitboards[KING][WHITE]));
}

bool IsPinned(const Position& pos, int sq) {
  const int king = pos.king_square[pos.side];
  const int d = direction[king][sq];
  if (d == 0 || (between[sq][king] & Occupancy(pos))) return false;
  return SliderBeyond(pos, sq, d, pos.side ^ 1);
}

bool ExposesKing(const Position& pos, int from, int to, int side, int king) {
  const int d = direction[king][from];
  if (d == 0 || direction[from][to] == d || direction[to][from] == d) return false;
  if (between[from][king] & Occupancy(pos)) return false;
  return SliderBeyond(pos, from, d, side ^ 1);
}

bool EpExposesKing(const Position& pos, int from, int to, int mover, int side, int king) {
  const int captured = to - pawn_step[mover];
  const Bitboard occ = Occupancy(pos);
  int d = direction[king][from];
  if (d == 1 || d == -1) {
    // Both pawns leave the king's rank: look past the farther one.
    const bool from_nearer = distance[king][from] < distance[king][captured];
    const int near = from_nearer ? from : captured;
    const int far = from_nearer ? captured : from;
    if (between[near][king] & occ) return false;
    return SliderBeyond(pos, far, d, side ^ 1);
  }
  d = direction[king][captured];
  if (SliderKindOf(d) != BISHOP) return false;
  if (between[captured][king] & occ) return false;
  return SliderBeyond(pos, captured, d, side ^ 1);
}
