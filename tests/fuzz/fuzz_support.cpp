#include "tests/fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "board/keys.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"

namespace {

bool engine_ready = false;
std::FILE* input_file = nullptr;

// The key of the position computed from its board, rights, square and side.
uint64_t KeyFromScratch(const Position& pos) {
  uint64_t key = 0;
  for (int sq = 0; sq < 64; ++sq)
    if (pos.board[sq] != 0) key ^= piece_keys[pos.board[sq]][sq];
  key ^= castle_key_sets[pos.state.castling];
  if (pos.state.ep_square >= 0) key ^= ep_keys[pos.state.ep_square & 7];
  if (pos.side == WHITE) key ^= side_key;
  return key;
}

}  // namespace

void PrepareEngine() {
  if (engine_ready) return;
  engine_ready = true;
  EngineOptions options = {1, 1, 0, 0};
  InitEngine(options);
}

void SilenceOutput() {
  static bool silenced = false;
  if (silenced) return;
  silenced = true;
  const int sink = open("/dev/null", O_WRONLY);
  if (sink >= 0) {
    dup2(sink, STDOUT_FILENO);
    close(sink);
  }
}

void SetStandardInput(const uint8_t* data, size_t size) {
  if (input_file == nullptr) {
    input_file = std::tmpfile();
    FuzzCheck(input_file != nullptr, "no temporary file for standard input");
    FuzzCheck(dup2(fileno(input_file), STDIN_FILENO) == STDIN_FILENO, "cannot place the input file");
    // The console classifies standard input once it is in place.
    InitConsole();
  }
  FuzzCheck(ftruncate(STDIN_FILENO, 0) == 0, "cannot empty the input file");
  size_t written = 0;
  while (written < size) {
    const ssize_t count = pwrite(STDIN_FILENO, data + written, size - written, static_cast<off_t>(written));
    FuzzCheck(count > 0, "cannot write the input file");
    written += static_cast<size_t>(count);
  }
  FuzzCheck(lseek(STDIN_FILENO, 0, SEEK_SET) == 0, "cannot rewind the input file");
}

std::string TextOf(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  return std::string(text.c_str());
}

void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

void CheckPositionViews(const Position& pos, const char* what) {
  for (int side = BLACK; side <= WHITE; ++side) {
    Bitboard all = 0;
    for (int kind = PAWN; kind <= KING; ++kind) {
      Bitboard expected = 0;
      for (int sq = 0; sq < 64; ++sq)
        if (pos.board[sq] == PieceCode(side, kind)) expected |= Bitboard{1} << sq;
      FuzzCheck(pos.bitboards[kind][side] == expected, what);
      all |= expected;
    }
    FuzzCheck(pos.bitboards[ALL_PIECES][side] == all, what);
  }
  FuzzCheck(pos.key == KeyFromScratch(pos), what);
}
