// The known corrections of hard-to-win material balances: the rows of
// material_record_rows.h, unrolled, packed and sorted at compile time.
#include "eval/inert/material_records.h"

#include <algorithm>
#include <array>

#include "eval/inert/material_record_rows.h"

namespace inert {
namespace {

constexpr uint32_t PackMen(const Men& w, const Men& b) {
  return static_cast<uint32_t>(w.q) | b.q << 1 | w.r << 2 | b.r << 4 | w.b << 6 | b.b << 8 |
         w.n << 10 | b.n << 12 | w.p << 14 | b.p << 17;
}

constexpr uint32_t GroupOf(uint32_t record) { return record & ((1u << RECORD_GROUP_BITS) - 1); }

constexpr int RowRecordCount() {
  int count = 0;
  for (const RecordRow& row : RECORD_ROWS) count += row.count;
  return count;
}

// Within a group, records are ordered by their men, so a lookup can halve.
constexpr bool RecordBefore(uint32_t a, uint32_t b) {
  return GroupOf(a) != GroupOf(b) ? GroupOf(a) < GroupOf(b) : (a & RECORD_MEN_MASK) < (b & RECORD_MEN_MASK);
}

// Every row unrolled into its records, sorted.
constexpr auto SortedRecords() {
  std::array<uint32_t, RowRecordCount()> sorted{};
  int next = 0;
  for (const RecordRow& row : RECORD_ROWS) {
    Men white = ParseMen(row.white), black = ParseMen(row.black);
    for (int i = 0; i < row.count; ++i) {
      // A negative value lifts Black: its record is stored with the
      // colours exchanged, so that every record lifts its White.
      const bool lifts_black = row.values[i] < 0;
      const int value = lifts_black ? -row.values[i] : row.values[i];
      // A value or count past its field would spill into the next one.
      if (value > 16380 || value % 4 != 0 || white.p > 7 || black.p > 7) throw "a record outside its fields";
      const uint32_t men = lifts_black ? PackMen(black, white) : PackMen(white, black);
      sorted[next++] = men | static_cast<uint32_t>(value / 4) << 20;
      ++white.p;
      if (row.paired) ++black.p;
    }
  }
  std::sort(sorted.begin(), sorted.end(), RecordBefore);
  return sorted;
}

constexpr auto SORTED_RECORDS = SortedRecords();
static_assert(SORTED_RECORDS.size() == MATERIAL_RECORD_TOTAL, "every row unrolled, no more");

// group_start[g] .. group_start[g + 1]: the records of group key g.
int group_start[(1 << RECORD_GROUP_BITS) + 1];

}  // namespace

const uint32_t* const MATERIAL_RECORDS = SORTED_RECORDS.data();
const int MATERIAL_RECORD_COUNT = static_cast<int>(SORTED_RECORDS.size());

bool PackRecordMen(const MaterialCounts& c, uint32_t* men) {
  for (int s = 0; s < 2; ++s) {
    if (c.queens[s] > 1 || c.rooks[s] > 3 || c.bishops[s] > 3 || c.knights[s] > 3 || c.pawns[s] > 7)
      return false;
  }
  const Men w{c.pawns[WHITE], c.knights[WHITE], c.bishops[WHITE], c.rooks[WHITE], c.queens[WHITE]};
  const Men b{c.pawns[BLACK], c.knights[BLACK], c.bishops[BLACK], c.rooks[BLACK], c.queens[BLACK]};
  *men = PackMen(w, b);
  return true;
}

void BuildRecordIndex() {
  int next = 0;
  for (uint32_t group = 0; group <= (1u << RECORD_GROUP_BITS); ++group) {
    while (next < MATERIAL_RECORD_COUNT && GroupOf(SORTED_RECORDS[next]) < group) ++next;
    group_start[group] = next;
  }
}

const uint32_t* FindMaterialRecord(uint32_t men) {
  const uint32_t group = GroupOf(men);
  const uint32_t* first = SORTED_RECORDS.data() + group_start[group];
  const uint32_t* last = SORTED_RECORDS.data() + group_start[group + 1];
  const uint32_t* found = std::lower_bound(first, last, men, RecordBefore);
  return found != last && (*found & RECORD_MEN_MASK) == men ? found : nullptr;
}

}  // namespace inert
