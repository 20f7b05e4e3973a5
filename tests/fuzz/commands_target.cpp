// Whole sessions of input lines through the real line reader and the
// xboard or UCI command loop. The first byte chooses the protocol (odd:
// "uci" comes first) and the rest is standard input; the session ends at
// "quit" or at the end of the input. Afterwards the game position must be
// whole, and stay so as every move of the record is taken back. The
// fuzzing build ends every search after a small budget of checkpoints, so
// a session takes milliseconds.
#include <cstring>

#include "frontend/xboard/command_loop.h"
#include "frontend/xboard/commands.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/xboard/ping.h"
#include "frontend/search_handover.h"
#include "frontend/uci/loop.h"
#include "frontend/uci/position.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The protocol settings as the program starts with them.
struct Settings {
  uint8_t protocol_flags;
  int32_t moves_per_control, base_minutes, increment_s, own_clock_ms, opponent_clock_ms;
  uint32_t fixed_move_ms;
  int32_t depth_limit, draw_score;
  int hash_log;
};

Settings CurrentSettings() {
  return {protocol_flags, moves_per_control, base_minutes, increment_s, own_clock_ms,
          opponent_clock_ms, fixed_move_ms, depth_limit, draw_score, table_hash_log};
}

// Puts back everything a session may have left behind, so that no input
// depends on the ones before it.
void StartFresh(const Settings& start) {
  ResetConsole();
  engine_state = EngineState::New;
  protocol_flags = start.protocol_flags;
  moves_per_control = start.moves_per_control;
  base_minutes = start.base_minutes;
  increment_s = start.increment_s;
  own_clock_ms = start.own_clock_ms;
  opponent_clock_ms = start.opponent_clock_ms;
  fixed_move_ms = start.fixed_move_ms;
  depth_limit = start.depth_limit;
  draw_score = start.draw_score;
  opponent_name[0] = 0;
  fen_source = START_TEXT;
  pending_move = 0;
  expected_move = 0;
  TakeDeferredTakeBacks();
  WriteHeldPongs();
  if (table_hash_log != start.hash_log) AllocateTranspositionTable(start.hash_log);
  ResetUciPosition();
}

const char UCI_FIRST[] = "uci\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrepareEngine();
  SilenceOutput();
  static const Settings start = CurrentSettings();
  if (size == 0) return 0;
  const bool uci = (data[0] & 1) != 0;
  std::string input = uci ? UCI_FIRST : "";
  input.append(reinterpret_cast<const char*>(data + 1), size - 1);
  SetStandardInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  StartFresh(start);
  static const char* const arguments[] = {"fuzz-commands"};
  if (FirstCommandIsUci()) {
    RunUciLoop();
  } else {
    RunCommandLoop(1, arguments);
  }
  FuzzCheck(engine_state == EngineState::Quit, "the session ended without quitting");
  // Whatever the session did to the game, its position is whole, at every
  // move of the record back to the start.
  FuzzCheck(game_length >= 0 && game_length <= GAME_MOVE_LIMIT, "game record length");
  CheckPositionViews(game_position, "the game position is out of step after the session");
  while (game_length > 0) {
    TakeBack();
    CheckPositionViews(game_position, "the game position is out of step after taking a move back");
  }
  return 0;
}
