// The positional terms of the Inert evaluation, each adding to a midgame
// and endgame pair in internal units from White's view.
#pragma once

#include <cstdint>

#include "board/bitboard.h"
#include "board/position.h"
#include "eval/inert/inert_pawns.h"

namespace inert {

// A midgame and endgame sum kept together.
struct Tapered {
  int mid = 0;
  int end = 0;

  void Add(int m, int e) {
    mid += m;
    end += e;
  }
};

// What the piece terms learn that later terms need, by side.
struct PieceAttacks {
  Bitboard attacked[2];    // every square the side's men attack
  int king_attackers[2];   // pieces reaching the enemy king zone (+1 for pawns)
  int king_weights[2];     // their summed Attack weights
};

// The squares around a king that attacks are counted against: its own
// square, its neighbours, and the three squares beyond them toward the
// enemy.
Bitboard KingZone(int side, int king_square);

// Builds the king zones; start-up.
void BuildKingZones();

// Mobility, king attack and the knight, rook and queen terms.
Tapered PieceTerms(const Position& pos, uint16_t flags, PieceAttacks& attacks);

// King attack and shelter for each exposed king.
Tapered KingSafety(const Position& pos, uint16_t flags, const InertPawnInfo& pawns,
                   const PieceAttacks& attacks);

// The passed-pawn terms of both sides.
Tapered PassedPawnTerms(const Position& pos, const InertPawnInfo& pawns, const PieceAttacks& attacks);

// A passer the enemy king cannot catch in a race against pieceless
// defence, by the square rule with the side to move counted.
bool WinsRace(const Position& pos, int side, int sq);

// Trapped bishops and pieces shut in behind their own men.
Tapered TrappedAndBlocked(const Position& pos);

}  // namespace inert
