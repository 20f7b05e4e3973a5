// The protocol settings and flags with their starting values.
#include <cstring>

#include "frontend/engine_state.h"
#include "frontend/console.h"

EngineState engine_state = EngineState::New;
uint8_t protocol_flags = 0;

int32_t moves_per_control = 0;
int32_t base_minutes = 5;
int32_t increment_s = 0;
int32_t own_clock_ms = 300000;
int32_t opponent_clock_ms = 300000;
uint32_t fixed_move_ms = NO_FIXED_MOVE_TIME;
int32_t depth_limit = DEFAULT_DEPTH_LIMIT;
int32_t draw_score = 0;
char opponent_name[OPPONENT_NAME_SIZE];
int32_t multi_pv = 1;

const char START_TEXT[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* fen_source = START_TEXT;

namespace {

// The "setboard" text outlives the line it came in.
char fen_text[LINE_BUFFER_SIZE];

}  // namespace

void SetFenSource(const char* text) {
  strncpy(fen_text, text, sizeof fen_text - 1);
  fen_text[sizeof fen_text - 1] = 0;
  fen_source = fen_text;
}
