#include "frontend/game_reset.h"

#include "eval/evaluate.h"
#include "frontend/game.h"
#include "platform/build_flavour.h"
#include "search/search.h"
#include "search/transposition.h"

void ResetForNewGame() {
  ResetLastIterationScore();
  ClearHash();
  if constexpr (BUILD_ACTIVE) {
    PrepareEvaluation(true, game_position.side, game_position.state.castling);
  } else {
    ClearEvalCaches();
  }
  ClearSearchMemory();
}
