#include "frontend/game.h"

#include <cstring>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/set_position.h"
#include "frontend/game_reset.h"

Position game_position;
Move game_moves[GAME_RECORD_SIZE];
UndoRecord game_undo[GAME_RECORD_SIZE];
int game_length = 0;
int game_moves_dropped = 0;
Move legal_moves[LEGAL_LIST_SIZE];
int legal_count = 0;
Move reply_moves[LEGAL_LIST_SIZE];
int reply_count = 0;
bool result_printed = false;
uint32_t game_generation = 0;

namespace {

bool position_refused = false;

// Forgets the oldest moves of a long game, shifting the game record and the
// key history down so the newest positions keep their repetition history.
void DropOldestMoves() {
  const int kept = game_length - GAME_RECORD_DROP;
  memmove(game_moves, game_moves + GAME_RECORD_DROP, kept * sizeof game_moves[0]);
  memmove(game_undo, game_undo + GAME_RECORD_DROP, kept * sizeof game_undo[0]);
  const int plies = game_position.game_ply - GAME_RECORD_DROP;
  memmove(game_position.key_history, game_position.key_history + GAME_RECORD_DROP,
          plies * sizeof game_position.key_history[0]);
  game_position.game_ply = static_cast<int16_t>(plies);
  game_length = kept;
  game_moves_dropped += GAME_RECORD_DROP;
}

}  // namespace

void SetGamePosition(const char* fen) {
  game_length = 0;
  game_moves_dropped = 0;
  position_refused = false;
  SetPosition(game_position, fen);
  game_generation++;
}

void NewGame(const char* fen) {
  SetGamePosition(fen);
  ResetForNewGame();
}

void ApplyGameMove(Move move) {
  if (game_length >= GAME_MOVE_LIMIT) DropOldestMoves();
  game_moves[game_length] = move;
  SaveState(game_position, game_undo[game_length]);
  MakeMove(game_position, game_undo[game_length], move, -1);
  game_length++;
  game_generation++;
}

void TakeBack() {
  if (game_length <= 0) return;
  game_length--;
  UnmakeMove(game_position, game_undo[game_length], game_moves[game_length]);
  game_generation++;
}

int GameHalfMovesPlayed() { return game_moves_dropped + game_length; }

void RebuildLegalMoves() {
  legal_count = position_refused ? 0 : BuildLegalMoves(game_position, legal_moves);
}

bool GamePositionIsPlayable() { return !position_refused; }

void RefuseGamePosition() {
  position_refused = true;
  game_generation++;
  game_length = 0;
  game_moves_dropped = 0;
  legal_count = 0;
}
