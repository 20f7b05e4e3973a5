#include "tools/book/book_writer.h"

#include "frontend/book/format.h"

namespace {

// Where a node's children will stand: the first record and the count.
struct ListPlace {
  uint32_t first = 0;
  int count = 0;
};

}  // namespace

bool LayOutBook(const BookTree& tree, std::vector<uint8_t>& image, std::string& error) {
  const int root_count = static_cast<int>(tree.Node(0).children.size());
  if (root_count == 0) {
    error = "no move to write (every move was dropped, or no game was read)";
    return false;
  }
  // Breadth first: each list gets the records after the lists before it.
  std::vector<ListPlace> places(tree.Size());
  std::vector<int> order = {0};
  uint64_t next_record = 1;
  for (size_t i = 0; i < order.size(); ++i) {
    const int node = order[i];
    const std::vector<int>& children = tree.Node(node).children;
    if (children.empty()) continue;
    places[node] = {static_cast<uint32_t>(next_record), static_cast<int>(children.size())};
    next_record += children.size();
    if (next_record > BOOK_MAX_RECORDS) {
      error = "the book needs more than 16777216 records; use fewer plies or a higher minimum count";
      return false;
    }
    order.insert(order.end(), children.begin(), children.end());
  }
  image.assign(next_record * BOOK_RECORD_SIZE, 0);
  image[0] = BOOK_FORMAT_MARK;
  image[1] = static_cast<uint8_t>(root_count);
  for (const int node : order) {
    const std::vector<int>& children = tree.Node(node).children;
    for (size_t c = 0; c < children.size(); ++c) {
      const BookNode& child = tree.Node(children[c]);
      const ListPlace& below = places[children[c]];
      const BookEntry entry = MakeBookEntry(below.first, below.count, BookKeyOf(child.move),
                                            static_cast<uint32_t>(child.weight));
      EncodeBookEntry(entry, &image[(places[node].first + c) * BOOK_RECORD_SIZE]);
    }
  }
  return true;
}
