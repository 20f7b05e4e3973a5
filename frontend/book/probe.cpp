#include "frontend/book/probe.h"

#include "board/random_state.h"
#include "frontend/book/format.h"
#include "platform/platform.h"

namespace {

bool book_seeded = false;

// One list of entries read from the file, decoded.
struct EntryList {
  BookEntry entries[BOOK_MAX_LIST];
  int count;
};

// A choosable entry: its key and weight, in file order until sorted.
struct Candidate {
  uint16_t key;
  uint32_t weight;
};

// The seed differs between runs and between processes started together.
void SeedOnce() {
  if (book_seeded) return;
  book_seeded = true;
  random_state = (platform::TickCountMs() >> 10) | (platform::CurrentThreadId() << 22);
}

// Reads `count` records from `first_record` on; false for a count outside
// 1..BOOK_MAX_LIST or a read that does not return every byte (a link past
// the end of the file).
bool ReadList(int handle, uint32_t first_record, int count, EntryList& list) {
  if (count < 1 || count > BOOK_MAX_LIST) return false;
  uint8_t bytes[BOOK_MAX_LIST * BOOK_RECORD_SIZE];
  const long length = count * BOOK_RECORD_SIZE;
  if (!platform::SeekFile(handle, first_record * BOOK_RECORD_SIZE)) return false;
  if (platform::ReadFile(handle, bytes, length) != length) return false;
  for (int i = 0; i < count; ++i) list.entries[i] = DecodeBookEntry(bytes + i * BOOK_RECORD_SIZE);
  list.count = count;
  return true;
}

// The root list, after checking the header.
bool ReadRoot(int handle, EntryList& list) {
  uint8_t header[BOOK_RECORD_SIZE];
  if (!platform::SeekFile(handle, 0)) return false;
  if (platform::ReadFile(handle, header, sizeof header) != static_cast<long>(sizeof header)) return false;
  if (header[0] != BOOK_FORMAT_MARK) return false;
  // A count of 128 or more is negative as a signed byte: no such list fits.
  const int root_count = static_cast<int8_t>(header[1]);
  return ReadList(handle, 1, root_count, list);
}

// Follows the keys down the tree; false when a key is missing or its entry
// has no children.
bool WalkToList(int handle, const uint16_t* keys, int ply_count, EntryList& list) {
  if (!ReadRoot(handle, list)) return false;
  for (int ply = 0; ply < ply_count; ++ply) {
    const BookEntry* found = nullptr;
    for (int i = 0; i < list.count && found == nullptr; ++i)
      if (EntryKey(list.entries[i]) == keys[ply]) found = &list.entries[i];
    if (found == nullptr) return false;
    const BookEntry entry = *found;
    if (!ReadList(handle, EntryFirstChild(entry), EntryChildCount(entry), list)) return false;
  }
  return true;
}

// Heaviest first; a bubble sort that swaps only a strictly lighter first
// neighbour, so equal weights keep file order.
void SortByWeight(Candidate* candidates, int count) {
  for (int pass = 0; pass < count - 1; ++pass)
    for (int i = 0; i < count - 1 - pass; ++i)
      if (candidates[i].weight < candidates[i + 1].weight) {
        const Candidate lighter = candidates[i];
        candidates[i] = candidates[i + 1];
        candidates[i + 1] = lighter;
      }
}

// The weighted choice among the k heaviest candidates; 0 with none.
uint16_t ChooseFrom(const EntryList& list, int pick_count) {
  Candidate candidates[BOOK_MAX_LIST];
  int count = 0;
  for (int i = 0; i < list.count; ++i)
    if (EntryWeight(list.entries[i]) > 0)
      candidates[count++] = {EntryKey(list.entries[i]), EntryWeight(list.entries[i])};
  if (count == 0) return 0;
  SortByWeight(candidates, count);
  const int k = pick_count < count - 1 ? pick_count : count - 1;
  uint32_t total = 0;
  for (int i = 0; i < k; ++i) total += candidates[i].weight;
  if (k <= 0 || total == 0) total = 1;
  uint32_t r = NextRandom() % total;
  int chosen = 0;
  while (chosen < k && r >= candidates[chosen].weight) {
    r -= candidates[chosen].weight;
    ++chosen;
  }
  return candidates[chosen].key;
}

}  // namespace

uint16_t BookProbe(const char* path, const uint16_t* keys, int ply_count, int pick_count) {
  SeedOnce();
  const int handle = platform::OpenReadOnly(path);
  if (handle < 0) return 0;
  EntryList list;
  const uint16_t key = WalkToList(handle, keys, ply_count, list) ? ChooseFrom(list, pick_count) : 0;
  platform::CloseFile(handle);
  return key;
}
