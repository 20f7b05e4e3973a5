// The Passive evaluation's weight tables and the geometry it builds at
// start-up: square tables in their printed shape (rank 8 first), short
// tables by index, king zones and queen alignment sets.
#pragma once

#include "board/bitboard.h"
#include "board/psq_pairs.h"

namespace passive {

// Piece-square values, White's view, printed rank 8 first, by kind (pawn
// .. king); Black reads the square mirrored top to bottom, negated.
extern const int PST_MID[7][64];
extern const int PST_END[7][64];

// The corner table of the bishop-and-knight mate: high in a1 and h8.
extern const int KBN_CORNER[64];

// By relative rank, 0 = the owner's back rank.
extern const int PASSED_MID[8];
extern const int PASSED_END[8];
extern const int CANDIDATE[8];

// King attack weight by the number of attacking pieces.
extern const int KS_CURVE[16];

// Shelter by the relative rank of the nearest own pawn in front of the
// king (8: none); storm by the relative rank of the nearest enemy pawn.
extern const int SHELTER[9];
extern const int STORM[8];

// Knight support bonus, White's view, printed rank 8 first.
extern const int SUPPORT_N[64];

// Squares at king distance 1 or 2 from each square.
extern Bitboard king_zone[64];

// Squares on a queen's lines from each square, less than three ranks
// away: a queen's diagonal pressure on the king zone counts only when the
// king stands in this set.
extern Bitboard queen_alignment[64];

// Every square on the empty-board lines through a square.
extern Bitboard rook_lines[64];
extern Bitboard bishop_lines[64];

// The pair of a piece code on a square, White's view (Black negated).
ScorePair PieceSquarePair(int code, int sq);

// Fills psq_pair and the geometry above; after the attack tables.
void InitPassiveTables();

}  // namespace passive
