// perft and divide: count the leaves of the legal move tree, the complete
// legal list (all four promotion kinds) at every node.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "tools/dev_commands.h"

namespace {

constexpr int MAX_PERFT_DEPTH = 30;

// Leaves below pos at depth >= 1; the last ply is counted, not made.
uint64_t Perft(Position& pos, int depth) {
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  if (depth == 1) return static_cast<uint64_t>(count);
  uint64_t leaves = 0;
  // Saved once for every move, as the search does: unmake restores the
  // position the record was taken from.
  UndoRecord undo;
  SaveState(pos, undo);
  for (int i = 0; i < count; ++i) {
    MakeMove(pos, undo, moves[i], -1);
    leaves += Perft(pos, depth - 1);
    UnmakeMove(pos, undo, moves[i]);
  }
  return leaves;
}

// The move as the protocol writes it: e2e4, e7e8q.
std::string MoveText(Move move) {
  std::string text;
  for (const int sq : {MoveFrom(move), MoveTo(move)}) {
    text += static_cast<char>('a' + FileOf(sq));
    text += static_cast<char>('1' + RankOf(sq));
  }
  if (const int promotion = MovePromotion(move)) text += " pnbrqk"[promotion];
  return text;
}

// Reads DEPTH and the FEN (the remaining arguments joined by blanks) and
// sets the position up; false when either is missing or unusable.
bool ReadArguments(int argc, char** argv, int& depth, Position& pos) {
  if (argc < 2) return false;
  char* end = nullptr;
  const long value = std::strtol(argv[0], &end, 10);
  if (end == argv[0] || *end != 0 || value < 1 || value > MAX_PERFT_DEPTH) return false;
  depth = static_cast<int>(value);
  std::string fen = argv[1];
  for (int i = 2; i < argc; ++i) fen += std::string(" ") + argv[i];
  SetPosition(pos, fen.c_str());
  if (!PositionIsPlayable(pos)) {
    std::fprintf(stderr, "not a playable position: %s\n", fen.c_str());
    return false;
  }
  return true;
}

// Prints the leaf rate to standard error, keeping standard output for counts.
void ReportSpeed(uint64_t leaves, std::chrono::steady_clock::time_point start) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "%.3f s, %.1f million leaves/s\n", seconds,
               seconds > 0 ? static_cast<double>(leaves) / seconds / 1e6 : 0.0);
}

// The record is large (its key history); keep it off the stack.
Position root_position;

}  // namespace

int RunPerft(int argc, char** argv) {
  int depth = 0;
  if (!ReadArguments(argc, argv, depth, root_position)) return PrintUsage();
  const auto start = std::chrono::steady_clock::now();
  const uint64_t leaves = Perft(root_position, depth);
  ReportSpeed(leaves, start);
  std::printf("%llu\n", static_cast<unsigned long long>(leaves));
  return 0;
}

int RunDivide(int argc, char** argv) {
  int depth = 0;
  if (!ReadArguments(argc, argv, depth, root_position)) return PrintUsage();
  const auto start = std::chrono::steady_clock::now();
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(root_position, moves);
  uint64_t total = 0;
  UndoRecord undo;
  for (int i = 0; i < count; ++i) {
    uint64_t leaves = 1;
    if (depth > 1) {
      SaveState(root_position, undo);
      MakeMove(root_position, undo, moves[i], -1);
      leaves = Perft(root_position, depth - 1);
      UnmakeMove(root_position, undo, moves[i]);
    }
    total += leaves;
    std::printf("%s: %llu\n", MoveText(moves[i]).c_str(), static_cast<unsigned long long>(leaves));
  }
  ReportSpeed(total, start);
  std::printf("%llu\n", static_cast<unsigned long long>(total));
  return 0;
}
