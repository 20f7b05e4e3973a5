#include "tools/book/book_dump.h"

#include <set>
#include <string>
#include <utility>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "frontend/book/format.h"

namespace {

// The whole file in memory, with its record count.
struct Image {
  const std::vector<uint8_t>& bytes;
  uint32_t records;

  BookEntry Entry(uint32_t record) const { return DecodeBookEntry(&bytes[record * BOOK_RECORD_SIZE]); }
};

// Checks every list reachable from the root once; false with the record
// at fault reported.
bool CheckLists(const Image& image, std::ostream& errors) {
  const int root_count = static_cast<int8_t>(image.bytes[1]);
  if (root_count < 1) {
    errors << "record 0: root count " << int(image.bytes[1]) << " is not 1..127\n";
    return false;
  }
  if (1u + root_count > image.records) {
    errors << "record 0: the root list of " << root_count << " entries runs past the end of the file\n";
    return false;
  }
  std::set<std::pair<uint32_t, int>> seen = {{1, root_count}};
  std::vector<std::pair<uint32_t, int>> pending = {{1, root_count}};
  while (!pending.empty()) {
    const auto [first, count] = pending.back();
    pending.pop_back();
    for (uint32_t record = first; record < first + count; ++record) {
      const BookEntry entry = image.Entry(record);
      const uint16_t key = EntryKey(entry);
      if (key >= 4096 || BookKeyFrom(key) == BookKeyTo(key)) {
        errors << "record " << record << ": move key " << key << " names no move\n";
        return false;
      }
      const int children = EntryChildCount(entry);
      if (children == 0) continue;
      const uint32_t child = EntryFirstChild(entry);
      if (child == 0 || child + children > image.records) {
        errors << "record " << record << ": children " << child << ".." << child + children - 1
               << " lie outside records 1.." << image.records - 1 << "\n";
        return false;
      }
      if (seen.insert({child, children}).second) pending.push_back({child, children});
    }
  }
  return true;
}

std::string KeyText(uint16_t key) {
  std::string text;
  for (const int square : {BookKeyFrom(key), BookKeyTo(key)}) {
    text += static_cast<char>('a' + FileOf(square));
    text += static_cast<char>('1' + RankOf(square));
  }
  return text;
}

// The legal move of pos with the key's squares (a queen promotion first).
Move LegalMoveFor(const Position& pos, uint16_t key) {
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  for (int i = 0; i < count; ++i)
    if (MoveFrom(moves[i]) == BookKeyFrom(key) && MoveTo(moves[i]) == BookKeyTo(key)) return moves[i];
  return 0;
}

// Prints one list and, depth permitting, the lists below it.
void PrintList(const Image& image, Position& pos, uint32_t first, int count, int ply, int depth,
               std::ostream& out) {
  for (uint32_t record = first; record < first + count; ++record) {
    const BookEntry entry = image.Entry(record);
    const Move move = LegalMoveFor(pos, EntryKey(entry));
    out << std::string(2 * ply, ' ') << KeyText(EntryKey(entry)) << ' ' << EntryWeight(entry)
        << (move == 0 ? " (not legal)" : "") << '\n';
    if (move == 0 || EntryChildCount(entry) == 0 || ply + 1 >= depth) continue;
    UndoRecord undo;
    SaveState(pos, undo);
    MakeMove(pos, undo, move, -1);
    PrintList(image, pos, EntryFirstChild(entry), EntryChildCount(entry), ply + 1, depth, out);
    UnmakeMove(pos, undo, move);
  }
}

// Large (its key history): kept off the stack.
Position dump_position;

}  // namespace

bool DumpBook(const std::vector<uint8_t>& bytes, int depth, std::ostream& out, std::ostream& errors) {
  if (bytes.size() < static_cast<size_t>(BOOK_RECORD_SIZE)) {
    errors << "record 0: the header is missing\n";
    return false;
  }
  if (bytes.size() % BOOK_RECORD_SIZE != 0) {
    errors << "record " << bytes.size() / BOOK_RECORD_SIZE << ": truncated to "
           << bytes.size() % BOOK_RECORD_SIZE << " bytes\n";
    return false;
  }
  if (bytes[0] != BOOK_FORMAT_MARK) {
    errors << "record 0: format mark " << int(bytes[0]) << ", not " << int(BOOK_FORMAT_MARK) << "\n";
    return false;
  }
  const Image image{bytes, static_cast<uint32_t>(bytes.size() / BOOK_RECORD_SIZE)};
  if (!CheckLists(image, errors)) return false;
  SetPosition(dump_position, START_FEN);
  PrintList(image, dump_position, 1, static_cast<int8_t>(bytes[1]), 0, depth, out);
  return true;
}
