// The complete legal move list.
#include "board/legal_moves.h"

#include "board/attacks.h"
#include "board/movegen.h"

namespace {

// The under-promotions appended for each queen promotion, in this order.
constexpr Move UNDER_PROMOTIONS[3] = {0x4000, 0x3000, 0x2000};

// The squares whose moves need the full legality test: the king's own and
// those of own pieces pinned to it (the only piece between the king and an
// enemy slider that moves along their line). A move from any other square
// opens no line to the king, so it is legal as generated; only en passant,
// which takes a second pawn off, still needs the test.
Bitboard SquaresToTest(const Position& pos) {
  const int side = pos.side, enemy = side ^ 1, king = pos.king_square[side];
  const Bitboard occupied = Occupancy(pos), own = pos.bitboards[ALL_PIECES][side];
  const Bitboard queens = pos.bitboards[QUEEN][enemy];
  Bitboard to_test = square_bit[king];
  for (Bitboard sliders = pos.bitboards[BISHOP][enemy] | pos.bitboards[ROOK][enemy] | queens; sliders;
       sliders &= sliders - 1) {
    const int slider = FirstBit(sliders);
    const int d = direction[king][slider];
    if (d == 0 || (SliderKindOf(d) != KindOf(pos.board[slider]) && !(queens & square_bit[slider]))) continue;
    const Bitboard blockers = between[king][slider] & occupied;
    if (SingleBit(blockers) && (blockers & own)) to_test |= blockers;
  }
  return to_test;
}

// Appends the rook, bishop and knight promotions of every queen promotion
// in [list, end), the last one's first; returns the new end.
Move* AppendUnderPromotions(const Move* list, Move* end) {
  const int kept = static_cast<int>(end - list);
  for (int i = kept - 1; i >= 0; --i) {
    if (!MovePromotion(list[i])) continue;
    const Move squares = static_cast<Move>(list[i] & 0x0FFF);
    for (const Move kind : UNDER_PROMOTIONS) *end++ = static_cast<Move>(squares | kind);
  }
  return end;
}

}  // namespace

int BuildLegalMoves(const Position& pos, Move* list) {
  Move* end;
  if (pos.state.in_check) {
    end = GenEvasions(pos, list);
  } else {
    const Move* pseudo_end = GenQuiet(pos, GenCaptures(pos, list));
    const Bitboard to_test = SquaresToTest(pos);
    end = list;
    for (const Move* move = list; move != pseudo_end; ++move) {
      const bool needs_test = (square_bit[MoveFrom(*move)] & to_test) || MoveIsEnPassant(*move);
      if (!needs_test || MoveIsLegal(pos, *move)) *end++ = *move;
    }
  }
  // Only a pawn one step from its last rank can promote: without one
  // there is no list to scan.
  const Bitboard last_but_one = pos.side == WHITE ? RANK_7 : RANK_2;
  if (pos.bitboards[PAWN][pos.side] & last_but_one) end = AppendUnderPromotions(list, end);
  *end = 0;
  return static_cast<int>(end - list);
}
