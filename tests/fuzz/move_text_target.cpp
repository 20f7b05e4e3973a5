// Move text against a few fixed game positions, or a position the input
// gives. The first byte chooses the position; with the last choice the
// first line of the rest is its text. Every further line is read as a
// move: a move read must be legal there, and its text must read back as
// the same move.
#include <algorithm>
#include <cstring>
#include <string>

#include "board/set_position.h"
#include "frontend/console.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// Castling both ways, en passant, promotions with and without capture,
// and a side in check.
const char* const POSITIONS[] = {
    START_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
    "4k3/8/8/8/8/8/8/4K2R b K -",
    "8/8/8/2k5/2pP4/8/B7/4K3 b - d3",
};
constexpr int FIXED_COUNT = sizeof POSITIONS / sizeof POSITIONS[0];

bool IsLegal(Move move) { return std::find(legal_moves, legal_moves + legal_count, move) != legal_moves + legal_count; }

// Sets the game up; an unplayable text is refused as "setboard" refuses it.
void SetUpGame(const char* fen) {
  SetGamePosition(fen);
  if (!PositionIsPlayable(game_position)) RefuseGamePosition();
  RebuildLegalMoves();
}

void CheckMoveText(const char* text) {
  const Move move = ParseMove(text);
  if (move == 0) return;
  FuzzCheck(GamePositionIsPlayable() && IsLegal(move), "a move read is not legal");
  char written[MOVE_TEXT_SIZE];
  FuzzCheck(ParseMove(MoveToText(move, written)) == move, "a move's own text reads as another move");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrepareEngine();
  SilenceOutput();
  if (size == 0) return 0;
  std::string rest = TextOf(data + 1, size - 1);
  const int choice = data[0] % (FIXED_COUNT + 1);
  if (choice < FIXED_COUNT) {
    SetUpGame(POSITIONS[choice]);
  } else {
    const size_t end = rest.find('\n');
    SetUpGame(rest.substr(0, end).c_str());
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
  }
  // Each line as the console hands it on: at most a line buffer, no line feed.
  size_t at = 0;
  while (at <= rest.size()) {
    size_t end = rest.find('\n', at);
    if (end == std::string::npos) end = rest.size();
    const std::string line = rest.substr(at, std::min<size_t>(end - at, LINE_BUFFER_SIZE - 1));
    CheckMoveText(line.c_str());
    at = end + 1;
  }
  return 0;
}
