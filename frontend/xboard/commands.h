// The protocol's command table and the parser of one input line.
#pragma once

#include <cstdint>

// Gate bits of a command: in which state it is accepted, and whether a
// running search stops after it.
enum CommandGate : uint8_t {
  AnyState = 0x01,
  OnlyWaiting = 0x02,
  OnlyThinking = 0x04,
  OnlyPondering = 0x08,
  Interrupts = 0x10,
  OnlyAnalysing = 0x20,
  OrAnalysing = 0x40,  // the state gate also admits the Analysing state
};

// One row of the command table.
struct CommandEntry {
  int8_t id;
  uint8_t gate;
  uint8_t new_state;  // an EngineState value, 0 to keep the state
  const char* name;
};

// Parses line_buffer as a command or a move and acts on it. True: a running
// search must stop now.
bool ParseCommand();

// A move read from the front end that the loop has not played yet (0: none)
// and the reply the engine expects while it ponders.
extern uint16_t pending_move;
extern uint16_t expected_move;
