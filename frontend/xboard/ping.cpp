#include "frontend/xboard/ping.h"

#include "frontend/console.h"
#include "frontend/engine_state.h"
#include "frontend/search_handover.h"

namespace {

// A front end waits for each answer before it pings again; a few slots
// are plenty, and one that sends more gets the extra answers at once.
constexpr int HELD_PONGS = 16;

int held_pongs[HELD_PONGS];
int held_count = 0;

void WritePong(int number) {
  PrintFormatted("pong %i", number);
  WriteText("\r\n");
}

}  // namespace

void AnswerPing(int number) {
  const bool move_owed = SearchIsRunning() && engine_state == EngineState::Thinking;
  if (move_owed && held_count < HELD_PONGS) {
    held_pongs[held_count++] = number;
    return;
  }
  WritePong(number);
}

void WriteHeldPongs() {
  for (int i = 0; i < held_count; i++) WritePong(held_pongs[i]);
  held_count = 0;
}
