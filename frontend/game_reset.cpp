#include "frontend/game_reset.h"

void ResetForNewGame() {}
