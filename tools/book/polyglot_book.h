// Reading Polyglot opening books (.bin): 16-byte big-endian entries of
// position key, move, weight and learn value, sorted by key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/position.h"
#include "tools/book/book_tree.h"

// The Polyglot key of a position: pieces, castling rights, the en-passant
// file only when a pawn of the side to move stands beside the pushed pawn,
// and the side to move.
uint64_t PolyglotKey(const Position& pos);

// The legal move of pos that a Polyglot move word names (castling written
// as the king taking its own rook, promotion pieces 1..4), or 0.
Move PolyglotMoveToMove(const Position& pos, uint16_t word);

// One Polyglot entry, decoded.
struct PolyglotEntry {
  uint64_t key;
  uint16_t move;
  uint16_t weight;
};

// Decodes a whole .bin image and sorts it by key (books are written so;
// a stable sort keeps each position's moves in their order); false when
// its length is no multiple of 16.
bool ReadPolyglotEntries(const std::vector<uint8_t>& bytes, std::vector<PolyglotEntry>& entries);

// Walks the book breadth first from the start position to `plies` plies,
// adding every move of weight at least min_weight (and at least 1) to
// `tree` with its weight as its points. The entries must be sorted by key.
// Stops early, and says so, once the tree reaches max_nodes.
// Returns the number of moves skipped because they were not legal.
int WalkPolyglotBook(const std::vector<PolyglotEntry>& entries, int plies, uint64_t min_weight,
                     size_t max_nodes, BookTree& tree, bool& truncated);
