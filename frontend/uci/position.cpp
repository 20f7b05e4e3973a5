#include "frontend/uci/position.h"

#include <cstdio>
#include <cstring>

#include "board/set_position.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/uci/output.h"
#include "frontend/uci/text.h"

namespace {

// The last text that set the game up, so that a bad command can be undone
// by setting that one up again.
char accepted_text[UCI_LINE_SIZE] = "startpos";
bool from_start = true;

// A scratch record for testing a position text before it replaces the game.
Position candidate;

// Room for a position text; anything longer is no position.
constexpr int FEN_SIZE = 128;

// Copies the position text (up to "moves" or the end) into fen; null when
// it is missing or too long. Returns where the moves start.
const char* ReadFen(const char* text, char* fen) {
  const char* moves = strstr(text, " moves");
  while (moves != nullptr && !StartsWithWord(moves + 1, "moves")) moves = strstr(moves + 1, " moves");
  const size_t length = moves != nullptr ? static_cast<size_t>(moves - text) : strlen(text);
  if (length == 0 || length >= FEN_SIZE) return nullptr;
  memcpy(fen, text, length);
  fen[length] = 0;
  return moves != nullptr ? SkipBlanks(moves) : text + length;
}

// Sets the game up from `text`; on failure explains why (when `explain`)
// and returns false, with the game in an undefined state.
bool TrySetPosition(const char* text, bool explain) {
  char message[192];
  char fen[FEN_SIZE];
  const char* rest;
  bool start;
  text = SkipBlanks(text);
  if (StartsWithWord(text, "startpos")) {
    strcpy(fen, START_TEXT);
    rest = AfterWord(text);
    start = true;
  } else if (StartsWithWord(text, "fen")) {
    rest = ReadFen(AfterWord(text), fen);
    start = false;
    if (rest == nullptr) {
      if (explain) WriteInfoString("position fen needs a position text");
      return false;
    }
    SetPosition(candidate, fen);
    if (!PositionIsPlayable(candidate)) {
      snprintf(message, sizeof message, "position '%s' cannot be played: ignored", fen);
      if (explain) WriteInfoString(message);
      return false;
    }
  } else {
    if (explain) WriteInfoString("position needs startpos or fen: ignored");
    return false;
  }
  SetGamePosition(fen);
  RebuildLegalMoves();
  from_start = start;
  if (*rest == 0) return true;
  if (!StartsWithWord(rest, "moves")) {
    if (explain) WriteInfoString("position: text after the position is not 'moves': ignored");
    return false;
  }
  for (const char* at = AfterWord(rest); *at != 0; at = AfterWord(at)) {
    char word[16];
    CopyWord(at, word, sizeof word);
    const Move move = UciMoveFromText(word, legal_moves, legal_count);
    if (move == 0) {
      snprintf(message, sizeof message, "illegal move '%s' in position: ignored", word);
      if (explain) WriteInfoString(message);
      return false;
    }
    ApplyGameMove(move);
    RebuildLegalMoves();
  }
  return true;
}

}  // namespace

void SetUciPosition(const char* text) {
  if (TrySetPosition(text, true)) {
    strncpy(accepted_text, text, sizeof accepted_text - 1);
    accepted_text[sizeof accepted_text - 1] = 0;
    return;
  }
  TrySetPosition(accepted_text, false);
}

void ResetUciPosition() {
  strcpy(accepted_text, "startpos");
  TrySetPosition(accepted_text, false);
}

bool UciGameFromStart() { return from_start; }
