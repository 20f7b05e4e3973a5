// The known corrections of hard-to-win material balances, written as the
// two sides' men and a correction, packed and sorted at compile time.
#include "eval/inert/material_records.h"

#include <algorithm>
#include <array>

namespace inert {
namespace {

constexpr uint32_t PackMen(const Men& w, const Men& b) {
  return static_cast<uint32_t>(w.q) | b.q << 1 | w.r << 2 | b.r << 4 | w.b << 6 | b.b << 8 |
         w.n << 10 | b.n << 12 | w.p << 14 | b.p << 17;
}

// A record: White's men, Black's men, the correction in White's favour.
// White is always the side the correction lifts, so it is never negative.
constexpr uint32_t Record(const char* white, const char* black, int correction) {
  return PackMen(ParseMen(white), ParseMen(black)) | static_cast<uint32_t>(correction / 4) << 20;
}

// Corrections are (pawn units White is behind) x 3399 minus what the
// stronger side should keep, rounded down to a multiple of 4.
constexpr uint32_t RECORD_LIST[] = {
    // A pawn or two against two knights: the knights cannot force mate and
    // the pawns rarely promote; the stronger side keeps about 30 cp.
    Record("KP", "KNN", 16016),
    Record("KPP", "KNN", 12804),
    // A minor against a minor and a pawn: the defender gives its piece for
    // the last pawn; keep about 24 cp (779 units).
    Record("KN", "KNP", 2620),
    Record("KB", "KBP", 2620),
    Record("KN", "KBP", 2620),
    Record("KB", "KNP", 2620),
    // The same with two pawns: winnable more often; keep about 106 cp.
    Record("KN", "KNPP", 3396),
    Record("KB", "KBPP", 3396),
    Record("KN", "KBPP", 3396),
    Record("KB", "KNPP", 3396),
    // Rook or queen against the same and a pawn: the classic drawn endings
    // hold often; keep about 28 cp with one pawn, 106 cp with two.
    Record("KR", "KRP", 2496),
    Record("KR", "KRPP", 3396),
    Record("KQ", "KQP", 2496),
    // A minor against a rook without pawns: drawn with correct defence;
    // keep about 22 cp so the rook side still tries.
    Record("KN", "KR", 6096),
    Record("KB", "KR", 6096),
    // A minor and a pawn against a rook: usually drawn; keep about 19 cp.
    Record("KNP", "KR", 2796),
    Record("KBP", "KR", 2796),
    // Rook against rook and minor without pawns: mostly drawn; keep 50 cp.
    Record("KR", "KRN", 8596),
    Record("KR", "KRB", 8596),
    // One minor against two without pawns: drawn except two bishops
    // against a knight, which keep 125 cp; the others keep about 39 cp.
    Record("KN", "KBN", 8956),
    Record("KB", "KBN", 8956),
    Record("KB", "KBB", 8956),
    Record("KN", "KBB", 6196),
    // A rook against two minors without pawns: drawn; keep about 19 cp.
    Record("KR", "KBN", 2796),
    Record("KR", "KBB", 2796),
    Record("KR", "KNN", 2796),
    // Rook and minor against a queen without pawns: often a fortress;
    // keep 75 cp.
    Record("KRN", "KQ", 4396),
    Record("KRB", "KQ", 4396),
    // Equal balances where one side's pieces are worth a little more.
    Record("KBB", "KNN", 328),
    Record("KBB", "KNPPP", 1460),
    Record("KNN", "KPPPPPP", 36),
};

constexpr uint32_t GroupOf(uint32_t record) { return record & ((1u << RECORD_GROUP_BITS) - 1); }

constexpr auto SortedRecords() {
  std::array<uint32_t, std::size(RECORD_LIST)> sorted{};
  std::copy(std::begin(RECORD_LIST), std::end(RECORD_LIST), sorted.begin());
  std::sort(sorted.begin(), sorted.end(),
            [](uint32_t a, uint32_t b) { return GroupOf(a) < GroupOf(b); });
  return sorted;
}

constexpr auto SORTED_RECORDS = SortedRecords();

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
  for (int i = group_start[group]; i < group_start[group + 1]; ++i)
    if ((SORTED_RECORDS[i] & RECORD_MEN_MASK) == men) return &SORTED_RECORDS[i];
  return nullptr;
}

}  // namespace inert
