// The one process-wide random generator: a 32-bit linear congruential
// generator that first draws the hash keys, then the front end's choices.
#pragma once

#include <cstdint>

// Current generator state; starts at 1.
extern uint32_t random_state;

// Advances the state (state * 1103515245 + 12345 mod 2^32) and returns it.
inline uint32_t NextRandom() {
  random_state = random_state * 1103515245u + 12345u;
  return random_state;
}
