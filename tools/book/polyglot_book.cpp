#include "tools/book/polyglot_book.h"

#include <algorithm>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "tools/book/polyglot_keys.h"

namespace {

constexpr int POLYGLOT_ENTRY_SIZE = 16;

uint64_t ReadBig(const uint8_t* bytes, int length) {
  uint64_t value = 0;
  for (int i = 0; i < length; ++i) value = value << 8 | bytes[i];
  return value;
}

// Whether a pawn of the side to move could take the pawn that just moved
// two squares (legality aside, as the format asks).
bool EnPassantCounts(const Position& pos) {
  const int ep = pos.state.ep_square;
  if (ep < 0) return false;
  const int pushed = ep + pawn_step[pos.side ^ 1];
  const int taker = PieceCode(pos.side, PAWN);
  return (FileOf(pushed) > 0 && pos.board[pushed - 1] == taker) ||
         (FileOf(pushed) < 7 && pos.board[pushed + 1] == taker);
}

// State of the walk.
struct Walk {
  const std::vector<PolyglotEntry>& entries;
  uint64_t min_weight;
  size_t max_nodes;
  BookTree& tree;
  std::vector<int> parent;  // per tree node, the node before it
  bool truncated = false;
  int illegal = 0;
};

// Sets pos to the position after the line that ends at `node`.
void ReplayLine(const Walk& walk, int node, Position& pos) {
  std::vector<Move> line;
  for (; node != 0; node = walk.parent[node]) line.push_back(walk.tree.Node(node).move);
  SetPosition(pos, START_FEN);
  for (auto move = line.rbegin(); move != line.rend(); ++move) {
    UndoRecord undo;
    SaveState(pos, undo);
    MakeMove(pos, undo, *move, -1);
  }
}

// Adds the book's moves of the position after `node`; the new nodes go to
// `next`. False once the tree is full.
bool ExpandNode(Walk& walk, Position& pos, int node, std::vector<int>& next) {
  ReplayLine(walk, node, pos);
  const uint64_t key = PolyglotKey(pos);
  auto it = std::lower_bound(walk.entries.begin(), walk.entries.end(), key,
                             [](const PolyglotEntry& entry, uint64_t k) { return entry.key < k; });
  for (; it != walk.entries.end() && it->key == key; ++it) {
    if (it->weight < walk.min_weight || it->weight == 0) continue;
    if (static_cast<size_t>(walk.tree.Size()) >= walk.max_nodes) {
      walk.truncated = true;
      return false;
    }
    const Move move = PolyglotMoveToMove(pos, it->move);
    if (move == 0) {
      walk.illegal++;
      continue;
    }
    const int child = walk.tree.AddMove(node, move, it->weight);
    if (child == static_cast<int>(walk.parent.size())) {
      walk.parent.push_back(node);
      next.push_back(child);
    }
  }
  return true;
}

// Large (its key history): kept off the stack.
Position walk_position;

}  // namespace

uint64_t PolyglotKey(const Position& pos) {
  uint64_t key = 0;
  for (int square = 0; square < 64; ++square) {
    const int code = pos.board[square];
    if (code == 0) continue;
    const int kind_of_piece = 2 * (KindOf(code) - 1) + SideOf(code);
    key ^= POLYGLOT_RANDOM[64 * kind_of_piece + square];
  }
  // Castling-right bits 1, 2, 4, 8 are White short, White long, Black
  // short, Black long: the format's order.
  for (int bit = 0; bit < 4; ++bit)
    if (pos.state.castling & (1 << bit)) key ^= POLYGLOT_RANDOM[POLYGLOT_CASTLE_OFFSET + bit];
  if (EnPassantCounts(pos)) key ^= POLYGLOT_RANDOM[POLYGLOT_EN_PASSANT_OFFSET + FileOf(pos.state.ep_square)];
  if (pos.side == WHITE) key ^= POLYGLOT_RANDOM[POLYGLOT_TURN_OFFSET];
  return key;
}

Move PolyglotMoveToMove(const Position& pos, uint16_t word) {
  const int from = (word >> 6) & 63;
  int to = word & 63;
  const int promotion = (word >> 12) & 7;
  if (KindOf(pos.board[from]) == KING && SideOf(pos.board[from]) == pos.side &&
      pos.board[to] == PieceCode(pos.side, ROOK) && RankOf(from) == RankOf(to) && FileOf(from) == 4) {
    to = FileOf(to) == 7 ? from + 2 : FileOf(to) == 0 ? from - 2 : to;
  }
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  for (int i = 0; i < count; ++i)
    if (MoveFrom(moves[i]) == from && MoveTo(moves[i]) == to &&
        MovePromotion(moves[i]) == (promotion == 0 ? 0 : promotion + 1))
      return moves[i];
  return 0;
}

bool ReadPolyglotEntries(const std::vector<uint8_t>& bytes, std::vector<PolyglotEntry>& entries) {
  if (bytes.size() % POLYGLOT_ENTRY_SIZE != 0) return false;
  entries.clear();
  for (size_t at = 0; at < bytes.size(); at += POLYGLOT_ENTRY_SIZE) {
    const uint8_t* entry = &bytes[at];
    entries.push_back({ReadBig(entry, 8), static_cast<uint16_t>(ReadBig(entry + 8, 2)),
                       static_cast<uint16_t>(ReadBig(entry + 10, 2))});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PolyglotEntry& a, const PolyglotEntry& b) { return a.key < b.key; });
  return true;
}

int WalkPolyglotBook(const std::vector<PolyglotEntry>& entries, int plies, uint64_t min_weight,
                     size_t max_nodes, BookTree& tree, bool& truncated) {
  Walk walk{entries, min_weight, max_nodes, tree, {0}};
  // Breadth first, so that a book too large for the format loses its
  // deepest plies rather than whole openings.
  std::vector<int> level = {0};
  for (int ply = 0; ply < plies && !level.empty() && !walk.truncated; ++ply) {
    std::vector<int> next;
    for (const int node : level)
      if (!ExpandNode(walk, walk_position, node, next)) break;
    level.swap(next);
  }
  truncated = walk.truncated;
  return walk.illegal;
}
