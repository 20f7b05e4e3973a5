// The book as it is gathered: a tree of moves from the start position,
// one node per line of play (transpositions are separate lines, as the
// engine walks the book by the game's moves).
#pragma once

#include <cstdint>
#include <vector>

#include "board/position.h"

// One move in one line, with what was seen of it.
struct BookNode {
  Move move = 0;
  uint64_t count = 0;   // times the move was seen here
  uint64_t points = 0;  // result points (or given weights) summed
  uint64_t weight = 0;  // filled by Finish
  std::vector<int> children;
};

// How a move's weight comes from what was seen of it.
enum class WeightRule { Results, Counts };

// Node 0 is the start position; every other node is a move.
class BookTree {
 public:
  BookTree() : nodes_(1) {}

  // The child of `parent` for `move`, created on first sight, after adding
  // one sighting worth `points`. Moves with the same book key (promotions
  // to different pieces) share one node, as the file cannot tell them apart.
  int AddMove(int parent, Move move, uint64_t points);

  // Drops the moves seen fewer than min_count times (with their lines),
  // computes the weights, orders every list heaviest first (ties keep the
  // order of first sight), keeps the BOOK_MAX_LIST heaviest of a list and
  // scales a list's weights down to the format's limit, keeping a
  // positive weight positive.
  void Finish(uint64_t min_count, WeightRule rule);

  const BookNode& Node(int index) const { return nodes_[index]; }
  int Size() const { return static_cast<int>(nodes_.size()); }

 private:
  std::vector<BookNode> nodes_;
};
