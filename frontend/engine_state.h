// The engine's state: what the command loop does next.
#pragma once

#include <cstdint>

enum class EngineState : uint8_t {
  New = 1,          // a new game is to be set up from fen_source
  Waiting = 2,      // waiting for input: the opponent is to move, or force mode
  Thinking = 3,     // searching (or about to search) for the engine's move
  PonderStart = 4,  // the engine has moved and will ponder on the expected reply
  Pondering = 5,    // searching the position after the expected reply
  GameOver = 6,     // the side to move has no legal move
  Quit = 7,         // the program ends
};

extern EngineState engine_state;
