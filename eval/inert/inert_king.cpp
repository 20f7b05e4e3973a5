// King safety of an exposed king (the enemy keeps a queen and another
// piece): the pieces reaching its zone, and the pawn shelter of its wing or
// of a wing it can still castle to.
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "eval/inert/inert_params.h"
#include "eval/inert/inert_terms.h"
#include "eval/inert/material_table.h"

namespace inert {
namespace {

// Midgame loss of the side's king: attack and shelter.
int KingLoss(const Position& pos, int side, const InertPawnInfo& pawns, const PieceAttacks& attacks) {
  const int enemy = side ^ 1;
  const int attackers = std::min(attacks.king_attackers[enemy], 15);
  int loss = KingAttackScale[attackers] * attacks.king_weights[enemy] / 32;
  const int own = pawns.shelter[side][WingOfKing(pos.king_square[side])];
  int castle = own;
  const uint8_t king_side = side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
  const uint8_t queen_side = side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
  bool can_castle = false;
  for (const auto& [right, wing] : {std::pair{king_side, KING_WING}, std::pair{queen_side, QUEEN_WING}}) {
    if (!(pos.state.castling & right)) continue;
    castle = can_castle ? std::min<int>(castle, pawns.shelter[side][wing]) : pawns.shelter[side][wing];
    can_castle = true;
  }
  loss += (own + std::min(own, castle)) / 2;
  return loss;
}

}  // namespace

Tapered KingSafety(const Position& pos, uint16_t flags, const InertPawnInfo& pawns,
                   const PieceAttacks& attacks) {
  Tapered total;
  if (flags & BLACK_KING_EXPOSED) total.Add(KingLoss(pos, BLACK, pawns, attacks), 0);
  if (flags & WHITE_KING_EXPOSED) total.Add(-KingLoss(pos, WHITE, pawns, attacks), 0);
  return total;
}

}  // namespace inert
