// Geometric tables built once at start-up, the rotated-bitboard attack
// look-ups and the attack, pin and uncovering queries built on them.
#pragma once

#include <cstdint>

#include "board/bitboard.h"
#include "board/position.h"

// Ranks and files as square sets.
inline constexpr Bitboard RANK_1 = 0x00000000000000FFULL;
inline constexpr Bitboard RANK_2 = 0x000000000000FF00ULL;
inline constexpr Bitboard RANK_7 = 0x00FF000000000000ULL;
inline constexpr Bitboard RANK_8 = 0xFF00000000000000ULL;
inline constexpr Bitboard FILE_A = 0x0101010101010101ULL;
inline constexpr Bitboard FILE_H = 0x8080808080808080ULL;
inline constexpr Bitboard ALL_SQUARES = ~0ULL;

// Chebyshev distance between two squares.
extern uint8_t distance[64][64];

// ray[d + 9][sq]: squares reached from sq by repeated steps d up to the edge.
extern Bitboard ray[19][64];

// direction[a][b]: the step leading from a to b along a line, 0 if none.
extern int8_t direction[64][64];

// Squares strictly between a and b on their line; all ones when they share
// no line, so such a pair always counts as blocked.
extern Bitboard between[64][64];

// Leaper and pawn attack sets.
extern Bitboard king_attacks[64];
extern Bitboard knight_attacks[64];
extern Bitboard pawn_attacks[64][2];  // [square][side]
extern Bitboard ep_neighbours[64];    // same-rank neighbours, 4th and 5th ranks only

// The bit of each square in the three rotated layouts (one-bit boards).
extern Bitboard file_bit[64];   // file-major: bit 8 * file + 7 - rank
extern Bitboard a1h8_bit[64];   // a1-h8 diagonals contiguous
extern Bitboard h1a8_bit[64];   // h1-a8 diagonals contiguous

// One more than the lowest bit of the square's diagonal in its layout; 64
// is read modulo 64 (h1 and a8, a1 and h8 stand alone on their diagonals).
extern uint8_t a1h8_shift[64];
extern uint8_t h1a8_shift[64];

// Slider attack sets by square and six-bit inner occupancy pattern; each set
// includes the first blocker in both directions.
extern Bitboard rank_attacks[64][64];
extern Bitboard file_attacks[64][64];
extern Bitboard a1h8_attacks[64][64];
extern Bitboard h1a8_attacks[64][64];

// Squares ahead of the square on its own and neighbouring files, by side.
extern Bitboard front_span[64][2];
// Every square of the files beside the square's file.
extern Bitboard adjacent_files[64];

// The slider kind that moves along each step (index d + 9): bishops on
// diagonals, rooks on ranks and files, 0 for non-line steps.
inline constexpr uint8_t slider_kind[19] = {
    BISHOP, ROOK, BISHOP, 0, 0, 0, 0, 0, ROOK,  // -9 .. -1
    0,                                          //  0
    ROOK, 0, 0, 0, 0, 0, BISHOP, ROOK, BISHOP,  // +1 .. +9
};

// Builds every table above plus square_bit, first_bit8 and last_bit8.
void InitAttackTables();

// The cells of a line of len cells reached from cell p over occupancy occ;
// each direction stops at and includes the first occupied cell.
uint8_t LineAttacks(int p, uint8_t occ, int len);

// Squares reached by repeated steps d from sq.
inline Bitboard RayFrom(int d, int sq) { return ray[d + 9][sq]; }

// The slider kind moving along step d.
inline int SliderKindOf(int d) { return slider_kind[d + 9]; }

// Every occupied square.
inline Bitboard Occupancy(const Position& pos) {
  return pos.bitboards[ALL_PIECES][BLACK] | pos.bitboards[ALL_PIECES][WHITE];
}

// Squares a rook on sq reaches: one rank and one file look-up.
inline Bitboard RookAttacks(const Position& pos, int sq) {
  const int rank = RankOf(sq), file = FileOf(sq);
  return rank_attacks[sq][(Occupancy(pos) >> (8 * rank + 1)) & 63] |
         file_attacks[sq][(pos.rotated_files >> (8 * file + 1)) & 63];
}

// Squares a bishop on sq reaches: one look-up per diagonal layout.
inline Bitboard BishopAttacks(const Position& pos, int sq) {
  return a1h8_attacks[sq][(pos.rotated_a1h8 >> (a1h8_shift[sq] & 63)) & 63] |
         h1a8_attacks[sq][(pos.rotated_h1a8 >> (h1a8_shift[sq] & 63)) & 63];
}

inline Bitboard QueenAttacks(const Position& pos, int sq) {
  return RookAttacks(pos, sq) | BishopAttacks(pos, sq);
}

// The nearest square of a non-empty set seen from the start of a ray of step d.
inline int NearestOnRay(Bitboard set, int d) { return d > 0 ? FirstBit(set) : LastBit(set); }

// Some piece of side by attacks sq.
bool SquareAttacked(const Position& pos, int sq, int by);

// All pieces of side by that attack sq.
Bitboard AttackersOf(const Position& pos, int sq, int by);

// The attackers of sq of both sides.
Bitboard AllAttackers(const Position& pos, int sq);

// The piece on sq is pinned against the king of the side to move.
bool IsPinned(const Position& pos, int sq);

// Moving a piece of side from `from` to `to` uncovers an attack of the
// other side on `king` along the line through `from`.
bool ExposesKing(const Position& pos, int from, int to, int side, int king);

// An en-passant capture by mover uncovers an attack of side ^ 1 on king
// because the captured pawn leaves the board.
bool EpExposesKing(const Position& pos, int from, int to, int mover, int side, int king);
