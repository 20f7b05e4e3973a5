// The complete legal move list.
#include "board/legal_moves.h"

#include "board/movegen.h"

namespace {

// The under-promotions appended for each queen promotion, in this order.
constexpr Move UNDER_PROMOTIONS[3] = {0x4000, 0x3000, 0x2000};

}  // namespace

int BuildLegalMoves(const Position& pos, Move* list) {
  Move* end;
  if (pos.state.in_check) {
    end = GenEvasions(pos, list);
  } else {
    const Move* pseudo_end = GenQuiet(pos, GenCaptures(pos, list));
    end = list;
    for (const Move* move = list; move != pseudo_end; ++move)
      if (MoveIsLegal(pos, *move)) *end++ = *move;
  }
  const int kept = static_cast<int>(end - list);
  for (int i = kept - 1; i >= 0; --i) {
    if (!MovePromotion(list[i])) continue;
    const Move squares = static_cast<Move>(list[i] & 0x0FFF);
    for (const Move kind : UNDER_PROMOTIONS) *end++ = static_cast<Move>(squares | kind);
  }
  *end = 0;
  return static_cast<int>(end - list);
}
