// quorvel-book: builds opening book files from PGN games or a Polyglot
// book, and prints book files for inspection.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/make_move.h"
#include "board/set_position.h"
#include "frontend/book/format.h"
#include "frontend/book/probe.h"
#include "platform/platform.h"
#include "tools/book/book_dump.h"
#include "tools/book/book_tree.h"
#include "tools/book/book_writer.h"
#include "tools/book/pgn_reader.h"
#include "tools/book/polyglot_book.h"
#include "tools/book/san_move.h"

namespace {

constexpr int DEFAULT_PGN_PLIES = 24;
// A Polyglot book's transpositions multiply its lines: at 12 plies a book
// of 180 000 entries gives about 630 000 records, far within the format's
// 2^24, where 16 plies already give 4.9 million and a larger book overflows.
constexpr int DEFAULT_POLYGLOT_PLIES = 12;
// A Polyglot walk stops growing here: the largest file the format allows.
constexpr size_t POLYGLOT_MAX_NODES = BOOK_MAX_RECORDS - 1;

int Usage() {
  std::fprintf(stderr,
               "usage: quorvel-book build [--plies N] [--min-count K] [--weights results|counts] OUT.dat GAMES.pgn...\n"
               "       quorvel-book build --from-polyglot BOOK.bin [--plies N] [--min-count K] OUT.dat\n"
               "       quorvel-book dump [--depth D] FILE.dat\n");
  return 2;
}

// What the command line asked for.
struct Arguments {
  int plies = 0;  // 0: the default of the kind of input
  uint64_t min_count = 1;
  WeightRule rule = WeightRule::Results;
  int depth = BOOK_MAX_GAME_PLIES;
  std::string polyglot;
  std::vector<std::string> files;
};

bool ReadNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == 0 && value >= low && value <= high;
}

// Options may stand anywhere; everything else is a file name.
bool ReadArguments(int argc, char** argv, Arguments& args) {
  for (int i = 0; i < argc; ++i) {
    const std::string option = argv[i];
    const bool has_value = i + 1 < argc;
    long value = 0;
    if (option == "--plies" && has_value && ReadNumber(argv[i + 1], 1, BOOK_MAX_GAME_PLIES, value)) {
      args.plies = static_cast<int>(value);
    } else if (option == "--min-count" && has_value && ReadNumber(argv[i + 1], 1, 1000000000, value)) {
      args.min_count = static_cast<uint64_t>(value);
    } else if (option == "--depth" && has_value && ReadNumber(argv[i + 1], 1, BOOK_MAX_GAME_PLIES, value)) {
      args.depth = static_cast<int>(value);
    } else if (option == "--weights" && has_value &&
               (std::strcmp(argv[i + 1], "results") == 0 || std::strcmp(argv[i + 1], "counts") == 0)) {
      args.rule = std::strcmp(argv[i + 1], "results") == 0 ? WeightRule::Results : WeightRule::Counts;
    } else if (option == "--from-polyglot" && has_value) {
      args.polyglot = argv[i + 1];
    } else if (option.rfind("--", 0) == 0) {
      return false;
    } else {
      args.files.push_back(option);
      continue;
    }
    ++i;
  }
  return true;
}

// The whole file, read through the platform's reader: a directory, a FIFO
// or a device is no file to read (and never blocks).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  const int handle = platform::OpenReadOnly(path.c_str());
  if (handle < 0) return false;
  bytes.clear();
  static uint8_t chunk[1 << 16];
  long got;
  while ((got = platform::ReadFile(handle, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  platform::CloseFile(handle);
  return got == 0;
}

// Points for the side that played a move: win 2, draw 1, loss 0; a game
// without a known result counts as a draw.
uint64_t PointsFor(GameResult result, int side) {
  switch (result) {
    case GameResult::WhiteWins: return side == WHITE ? 2 : 0;
    case GameResult::BlackWins: return side == BLACK ? 2 : 0;
    default: return 1;
  }
}

// Large (its key history): kept off the stack.
Position replay_position;

// Replays one game, adding its first `plies` moves to the tree. A move
// that cannot be read or played is reported, and the game ends there.
// Returns false for such a game.
bool AddGame(const PgnGame& game, const std::string& file, int plies, BookTree& tree) {
  if (game.set_up) {
    std::fprintf(stderr, "%s: game %d: starts from a set-up position; skipped\n", file.c_str(), game.number);
    return false;
  }
  SetPosition(replay_position, START_FEN);
  int node = 0;
  for (size_t ply = 0; ply < game.moves.size(); ++ply) {
    const Move move = MoveFromSan(replay_position, game.moves[ply]);
    if (move == 0) {
      std::fprintf(stderr, "%s: game %d: move %zu%s \"%s\" is illegal or unreadable; rest of the game skipped\n",
                   file.c_str(), game.number, ply / 2 + 1, ply % 2 ? "..." : ".", game.moves[ply].c_str());
      return false;
    }
    if (static_cast<int>(ply) < plies)
      node = tree.AddMove(node, move, PointsFor(game.result, replay_position.side));
    UndoRecord undo;
    SaveState(replay_position, undo);
    MakeMove(replay_position, undo, move, -1);
  }
  return true;
}

bool WriteBookFile(const BookTree& tree, const std::string& path) {
  std::vector<uint8_t> image;
  std::string error;
  if (!LayOutBook(tree, image, error)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write the book\n", path.c_str());
    return false;
  }
  std::printf("%s: %zu records, %d root moves\n", path.c_str(), image.size() / BOOK_RECORD_SIZE - 1,
              static_cast<int8_t>(image[1]));
  return true;
}

int BuildFromPgn(const Arguments& args) {
  if (args.files.size() < 2) return Usage();
  BookTree tree;
  int games = 0;
  int rejected = 0;
  for (size_t f = 1; f < args.files.size(); ++f) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(args.files[f], bytes)) {
      std::fprintf(stderr, "%s: cannot read\n", args.files[f].c_str());
      return 1;
    }
    PgnReader reader(std::string(bytes.begin(), bytes.end()));
    PgnGame game;
    while (reader.Next(game)) {
      ++games;
      if (!AddGame(game, args.files[f], args.plies > 0 ? args.plies : DEFAULT_PGN_PLIES, tree)) ++rejected;
    }
  }
  std::printf("%d games read, %d with a bad move or a set-up position\n", games, rejected);
  tree.Finish(args.min_count, args.rule);
  return WriteBookFile(tree, args.files[0]) ? 0 : 1;
}

int BuildFromPolyglot(const Arguments& args) {
  if (args.files.size() != 1) return Usage();
  std::vector<uint8_t> bytes;
  std::vector<PolyglotEntry> entries;
  if (!ReadWholeFile(args.polyglot, bytes)) {
    std::fprintf(stderr, "%s: cannot read\n", args.polyglot.c_str());
    return 1;
  }
  if (!ReadPolyglotEntries(bytes, entries)) {
    std::fprintf(stderr, "%s: not a Polyglot book (its length is no multiple of 16)\n", args.polyglot.c_str());
    return 1;
  }
  BookTree tree;
  bool truncated = false;
  const int plies = args.plies > 0 ? args.plies : DEFAULT_POLYGLOT_PLIES;
  const int illegal = WalkPolyglotBook(entries, plies, args.min_count, POLYGLOT_MAX_NODES, tree, truncated);
  std::printf("%zu Polyglot entries, %d lines of play gathered, %d illegal moves skipped\n", entries.size(),
              tree.Size() - 1, illegal);
  if (truncated) {
    std::fprintf(stderr, "%s: the walk stopped at the largest book the format holds (%d plies asked; fewer "
                 "--plies keep whole lines)\n", args.polyglot.c_str(), plies);
  }
  // Every line is visited once, so the counts are 1: the weights decide.
  tree.Finish(1, WeightRule::Results);
  return WriteBookFile(tree, args.files[0]) ? 0 : 1;
}

int Dump(const Arguments& args) {
  if (args.files.size() != 1) return Usage();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(args.files[0], bytes)) {
    std::fprintf(stderr, "%s: cannot read\n", args.files[0].c_str());
    return 1;
  }
  return DumpBook(bytes, args.depth, std::cout, std::cerr) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  Arguments args;
  if (!ReadArguments(argc - 2, argv + 2, args)) return Usage();
  InitAttackTables();
  InitKeys();
  InitCastleMasks();
  const std::string command = argv[1];
  if (command == "build") return args.polyglot.empty() ? BuildFromPgn(args) : BuildFromPolyglot(args);
  if (command == "dump") return Dump(args);
  return Usage();
}
