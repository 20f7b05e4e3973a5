// Fifty-move rule and repetition.
#include "board/draw_rules.h"

#include "board/movegen.h"

bool GameIsDrawn(const Position& pos) {
  const int fifty = pos.state.fifty_clock;
  if (fifty >= 101) return true;
  if (fifty == 100) {
    if (!pos.state.in_check) return true;
    Move evasions[MAX_MOVES];
    return GenEvasions(pos, evasions) != evasions;
  }
  if (fifty < 4) return false;
  int repeats = 0;
  for (int back = 4; back <= fifty; back += 2)
    if (pos.key_history[KeyHistoryIndex(pos.game_ply - back)] == pos.key && ++repeats == 3) return true;
  return false;
}
