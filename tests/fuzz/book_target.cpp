// The book prober on any file. Input: byte 0 gives the number of game
// moves walked (0..8), byte 1 the pick count, then two bytes per move key;
// the rest is the book file. The chosen key must be a key with positive
// weight in the list that a plain in-memory walk of the same bytes
// reaches, and 0 exactly when that walk finds no such list.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "frontend/book/format.h"
#include "frontend/book/probe.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int MAX_WALKED = 8;

// The book bytes live in an unlinked temporary file, named through
// /proc so that nothing is left behind, even after a crash.
std::string BookPath(const uint8_t* data, size_t size) {
  static std::FILE* file = std::tmpfile();
  FuzzCheck(file != nullptr, "no temporary file for the book");
  const int handle = fileno(file);
  FuzzCheck(ftruncate(handle, 0) == 0, "cannot empty the book file");
  FuzzCheck(size == 0 || pwrite(handle, data, size, 0) == static_cast<ssize_t>(size), "cannot write the book");
  return "/proc/self/fd/" + std::to_string(handle);
}

// The list of `count` records from `first` on, if it is whole in the file.
bool PlainList(const uint8_t* book, size_t size, uint64_t first, int count, const uint8_t** list) {
  if (count < 1 || count > BOOK_MAX_LIST) return false;
  if ((first + static_cast<uint64_t>(count)) * BOOK_RECORD_SIZE > size) return false;
  *list = book + first * BOOK_RECORD_SIZE;
  return true;
}

// Walks the keys down the tree held in memory: the list reached, or false.
bool PlainWalk(const uint8_t* book, size_t size, const uint16_t* keys, int plies, const uint8_t** list,
               int* count) {
  if (size < BOOK_RECORD_SIZE || book[0] != BOOK_FORMAT_MARK) return false;
  *count = static_cast<int8_t>(book[1]);
  if (!PlainList(book, size, 1, *count, list)) return false;
  for (int ply = 0; ply < plies; ++ply) {
    int found = -1;
    for (int i = 0; i < *count && found < 0; ++i)
      if (EntryKey(DecodeBookEntry(*list + i * BOOK_RECORD_SIZE)) == keys[ply]) found = i;
    if (found < 0) return false;
    const BookEntry entry = DecodeBookEntry(*list + found * BOOK_RECORD_SIZE);
    *count = EntryChildCount(entry);
    if (!PlainList(book, size, EntryFirstChild(entry), *count, list)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int plies = data[0] % (MAX_WALKED + 1);
  const int pick_count = data[1] % 10;
  if (size < 2 + 2 * static_cast<size_t>(plies)) return 0;
  uint16_t keys[MAX_WALKED];
  for (int i = 0; i < plies; ++i) keys[i] = static_cast<uint16_t>(data[2 + 2 * i] | data[3 + 2 * i] << 8);
  const uint8_t* book = data + 2 + 2 * plies;
  const size_t book_size = size - 2 - 2 * plies;
  const uint16_t chosen = BookProbe(BookPath(book, book_size).c_str(), keys, plies, pick_count);
  const uint8_t* list = nullptr;
  int count = 0;
  bool choosable = false;
  bool found = false;
  if (PlainWalk(book, book_size, keys, plies, &list, &count)) {
    for (int i = 0; i < count; ++i) {
      const BookEntry entry = DecodeBookEntry(list + i * BOOK_RECORD_SIZE);
      if (EntryWeight(entry) == 0) continue;
      choosable = true;
      found = found || EntryKey(entry) == chosen;
    }
  }
  FuzzCheck(choosable ? found : chosen == 0, "the book chose a key its list does not offer");
  return 0;
}
