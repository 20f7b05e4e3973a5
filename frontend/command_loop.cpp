#include "frontend/command_loop.h"

#include <cstring>

#include "frontend/banner.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"

EngineState engine_state = EngineState::New;

namespace {

bool ParseCommand() {
  if (strncmp(line_buffer, "quit", 4) == 0 && static_cast<signed char>(line_buffer[4]) <= 32) {
    engine_state = EngineState::Quit;
    return true;
  }
  return false;
}

}  // namespace

void RunCommandLoop(int, const char* const*) {
  PrintBanner(thread_count);
  SetLineParser(ParseCommand);
  StartTickThread();
  engine_state = EngineState::Waiting;
  while (engine_state != EngineState::Quit) ReadAndParse();
  StopTickThread();
}
