#include "tools/book/book_tree.h"

#include <algorithm>

#include "frontend/book/format.h"

int BookTree::AddMove(int parent, Move move, uint64_t points) {
  int child = -1;
  for (int index : nodes_[parent].children)
    if (BookKeyOf(nodes_[index].move) == BookKeyOf(move)) child = index;
  if (child < 0) {
    child = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
    nodes_[child].move = move;
    nodes_[parent].children.push_back(child);
  }
  nodes_[child].count++;
  nodes_[child].points += points;
  return child;
}

void BookTree::Finish(uint64_t min_count, WeightRule rule) {
  // Parents precede their children in nodes_, so one pass in order visits
  // every kept list after its parent was settled.
  for (BookNode& node : nodes_) {
    std::vector<int>& children = node.children;
    std::erase_if(children, [&](int index) { return nodes_[index].count < min_count; });
    uint64_t heaviest = 0;
    for (int index : children) {
      BookNode& child = nodes_[index];
      child.weight = rule == WeightRule::Results ? child.points : child.count;
      heaviest = std::max(heaviest, child.weight);
    }
    std::stable_sort(children.begin(), children.end(),
                     [&](int a, int b) { return nodes_[a].weight > nodes_[b].weight; });
    if (children.size() > static_cast<size_t>(BOOK_MAX_LIST)) children.resize(BOOK_MAX_LIST);
    if (heaviest <= BOOK_MAX_WEIGHT) continue;
    for (int index : children) {
      uint64_t& weight = nodes_[index].weight;
      if (weight == 0) continue;
      const double scaled = static_cast<double>(weight) * BOOK_MAX_WEIGHT / static_cast<double>(heaviest);
      weight = std::max<uint64_t>(1, static_cast<uint64_t>(scaled));
    }
  }
}
