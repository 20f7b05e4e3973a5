// accumcheck [GAMES]: plays random legal games from fixed positions and,
// after every make and every unmake, sets the same board up afresh and
// compares the incremental accumulators of the build (the piece-square
// sums, phase and material terms between pawn_key and material, and the
// last byte of the state group) with the fresh ones. Run by the tests on
// both word sizes.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "tools/dev_commands.h"

namespace {

constexpr int DEFAULT_GAMES = 40;
constexpr int MAX_GAMES = 10000;
constexpr int PLIES = 160;

constexpr const char* START_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "4k2r/6P1/8/3pP3/8/8/1p6/R3K3 w Qk d6",
};

// A small generator of its own, so the check never disturbs the
// program-wide random state.
struct Lcg {
  uint64_t state;
  uint32_t Next(uint32_t bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>((state >> 33) % bound);
  }
};

// The board field of the position with its side to move.
std::string BoardText(const Position& pos) {
  std::string text;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const int code = pos.board[SquareOf(file, rank)];
      if (!code) {
        ++empty;
        continue;
      }
      if (empty) text += static_cast<char>('0' + empty);
      empty = 0;
      text += PIECE_LETTERS[code];
    }
    if (empty) text += static_cast<char>('0' + empty);
    if (rank) text += '/';
  }
  return text + (pos.side == WHITE ? " w - -" : " b - -");
}

// The accumulators of the build: every byte between pawn_key and
// material, the state group's last byte, and the material signature.
bool SameAccumulators(const Position& a, const Position& b) {
  constexpr std::size_t from = offsetof(Position, pawn_key) + sizeof(uint64_t);
  constexpr std::size_t to = offsetof(Position, material) + sizeof(uint32_t);
  const auto* pa = reinterpret_cast<const unsigned char*>(&a);
  const auto* pb = reinterpret_cast<const unsigned char*>(&b);
  const auto* sa = reinterpret_cast<const unsigned char*>(&a.state);
  const auto* sb = reinterpret_cast<const unsigned char*>(&b.state);
  return std::memcmp(pa + from, pb + from, to - from) == 0 &&
         sa[sizeof(PositionState) - 1] == sb[sizeof(PositionState) - 1] && a.pawn_key == b.pawn_key;
}

// Compares pos with a fresh set-up of its board; reports a mismatch.
bool Check(const Position& pos, Position& fresh, long long& checked) {
  const std::string text = BoardText(pos);
  SetPosition(fresh, text.c_str());
  ++checked;
  if (SameAccumulators(pos, fresh)) return true;
  std::fprintf(stderr, "accumulators differ from a fresh set-up: %s\n", text.c_str());
  return false;
}

}  // namespace

int RunAccumCheck(int argc, char** argv) {
  const int games = argc >= 1 ? std::atoi(argv[0]) : DEFAULT_GAMES;
  if (games < 1 || games > MAX_GAMES) return PrintUsage();
  auto pos = std::make_unique<Position>();
  auto fresh = std::make_unique<Position>();
  auto undo = std::make_unique<UndoRecord[]>(PLIES);
  Move played[PLIES];
  Lcg random{12345};
  long long checked = 0;
  for (int game = 0; game < games; ++game) {
    SetPosition(*pos, START_POSITIONS[game % std::size(START_POSITIONS)]);
    int plies = 0;
    for (; plies < PLIES; ++plies) {
      Move moves[MAX_MOVES];
      const int count = BuildLegalMoves(*pos, moves);
      if (count == 0) break;
      played[plies] = moves[random.Next(static_cast<uint32_t>(count))];
      SaveState(*pos, undo[plies]);
      MakeMove(*pos, undo[plies], played[plies], -1);
      if (!Check(*pos, *fresh, checked)) return 1;
    }
    while (plies > 0) {
      --plies;
      UnmakeMove(*pos, undo[plies], played[plies]);
      if (!Check(*pos, *fresh, checked)) return 1;
    }
  }
  std::printf("%lld\n", checked);
  return 0;
}
