#include "frontend/book/book.h"

#include "frontend/book/format.h"
#include "frontend/book/probe.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"

namespace {

constexpr int PICK_AGAINST_COMPUTER = 3;
constexpr int PICK_AGAINST_PERSON = 7;

// The first legal move with the key's squares; a pawn reaching the last
// rank thus promotes to a queen, which stands before the under-promotions.
Move LegalMoveForKey(uint16_t key) {
  for (int i = 0; i < legal_count; ++i)
    if (MoveFrom(legal_moves[i]) == BookKeyFrom(key) && MoveTo(legal_moves[i]) == BookKeyTo(key))
      return legal_moves[i];
  return 0;
}

}  // namespace

Move BookMoveForGame() {
  if (game_length >= BOOK_MAX_GAME_PLIES) return 0;
  uint16_t keys[BOOK_MAX_GAME_PLIES];
  for (int i = 0; i < game_length; ++i) keys[i] = BookKeyOf(game_moves[i]);
  const int pick_count = FlagIsSet(OpponentIsComputer) ? PICK_AGAINST_COMPUTER : PICK_AGAINST_PERSON;
  const uint16_t key = BookProbe(BOOK_FILE_NAME, keys, game_length, pick_count);
  return key == 0 ? 0 : LegalMoveForKey(key);
}
