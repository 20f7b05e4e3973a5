// The static exchange estimate: alternate least valuable captures on one
// square, adding x-ray attackers uncovered behind each capturer.
#include "board/exchange.h"

#include "board/attacks.h"

namespace {

// The square of side's least valuable piece in attackers: by kind from
// pawn to king, the lowest square first within a kind.
int LeastValuableAttacker(const Position& pos, Bitboard attackers, int side) {
  // Most exchanges end here, when the side has no capturer left.
  if (!(attackers & pos.bitboards[ALL_PIECES][side])) return -1;
  for (int kind = PAWN; kind <= KING; ++kind) {
    const Bitboard pieces = attackers & pos.bitboards[kind][side];
    if (pieces) return FirstBit(pieces);
  }
  return -1;
}

// Adds the slider standing behind `last` on the line from `target`, if it
// moves along that line; colour does not matter.
Bitboard AddXray(const Position& pos, Bitboard attackers, int target, int last) {
  const int d = direction[target][last];
  if (d == 0) return attackers;
  const Bitboard beyond = RayFrom(d, last) & Occupancy(pos);
  if (!beyond) return attackers;
  const int sq = NearestOnRay(beyond, d);
  const int kind = KindOf(pos.board[sq]);
  if (kind == SliderKindOf(d) || kind == QUEEN) attackers |= square_bit[sq];
  return attackers;
}

}  // namespace

int32_t ExchangeValue(const Position& pos, Move move) {
  const int target = MoveTo(move), from = MoveFrom(move);
  int gain, extra = 0;
  if (static_cast<int16_t>(move) < 0) {
    gain = 100;
  } else {
    gain = EXCHANGE_VALUE[pos.board[target]];
    extra = PROMOTION_GAIN[MovePromotion(move)];
    gain += extra;
  }
  int at_risk = EXCHANGE_VALUE[pos.board[from]];
  if (at_risk == 0) return gain;
  const int mover = SideOf(pos.board[from]);
  const bool promotion_rank = RankOf(target) == 0 || RankOf(target) == 7;
  Bitboard attackers = AllAttackers(pos, target) & ~square_bit[from];
  int last = from, side = mover ^ 1;
  for (;;) {
    if (at_risk != EXCHANGE_VALUE[KING]) attackers = AddXray(pos, attackers, target, last);
    const int capturer = LeastValuableAttacker(pos, attackers, side);
    if (capturer < 0) break;
    // The rank test first: most exchanges happen away from the last ranks.
    const bool pawn_promotes = promotion_rank && KindOf(pos.board[capturer]) == PAWN;
    const int won = at_risk + extra + (pawn_promotes ? 900 : 0);
    if (side == mover) {
      gain += won;
      if (gain < 0) break;
    } else {
      gain -= won;
      if (gain > 0) break;
    }
    at_risk = EXCHANGE_VALUE[pos.board[capturer]];
    extra = pawn_promotes ? 900 : 0;
    attackers &= ~square_bit[capturer];
    last = capturer;
    side ^= 1;
  }
  return gain;
}
