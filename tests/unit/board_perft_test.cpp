// Perft of the reference positions in tests/data/perft.txt: the complete
// legal list at every node, all four promotion kinds.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "board_test_support.h"

namespace {

// Leaf counts above this are left to the tool script; the unit run must
// stay quick in sanitizer builds.
constexpr uint64_t UNIT_TEST_LEAF_LIMIT = 150000;

struct PerftReference {
  std::string fen;
  int depth;
  uint64_t leaves;
};

std::vector<PerftReference> ReadReferences() {
  std::string path = __FILE__;
  path = path.substr(0, path.find_last_of('/')) + "/../data/perft.txt";
  std::ifstream file(path);
  EXPECT_TRUE(file.good()) << "cannot read " << path;
  std::vector<PerftReference> references;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string fen, depth, leaves;
    std::getline(fields, fen, ';');
    std::getline(fields, depth, ';');
    std::getline(fields, leaves, ';');
    references.push_back({fen, std::stoi(depth), std::stoull(leaves)});
  }
  return references;
}

uint64_t Perft(Position& pos, int depth) {
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  if (depth == 1) return static_cast<uint64_t>(count);
  uint64_t leaves = 0;
  for (int i = 0; i < count; ++i) {
    UndoRecord undo;
    SaveState(pos, undo);
    MakeMove(pos, undo, moves[i], -1);
    leaves += Perft(pos, depth - 1);
    UnmakeMove(pos, undo, moves[i]);
  }
  return leaves;
}

TEST(Perft, ReferencePositions) {
  int run = 0;
  for (const PerftReference& reference : ReadReferences()) {
    if (reference.leaves > UNIT_TEST_LEAF_LIMIT) continue;
    auto pos = board_test::PositionFrom(reference.fen.c_str());
    ASSERT_TRUE(PositionIsPlayable(*pos)) << reference.fen;
    EXPECT_EQ(Perft(*pos, reference.depth), reference.leaves) << reference.fen << " depth " << reference.depth;
    ++run;
  }
  EXPECT_GE(run, 8);
}

}  // namespace
