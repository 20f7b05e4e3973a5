// "ping N" and its answer "pong N", in the protocol's order.
#pragma once

// Answers at once, except during a search for the engine's own move: that
// move is owed to the front end first, so the answer waits until the loop
// has played (or dropped) it.
void AnswerPing(int number);

// Writes the answers held back during the search, oldest first.
void WriteHeldPongs();
