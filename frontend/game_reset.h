// Forgetting what earlier games taught the engine.
#pragma once

// Clears the transposition table, the evaluation caches, the killer moves
// and the history scores, and the remembered score of the last iteration.
void ResetForNewGame();
