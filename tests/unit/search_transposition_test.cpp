// The transposition table: entry layout, the victim rule, the two match
// cases, ages, mate-score conversion, cut-off rules and the new-game reset.
#include <cstddef>

#include "platform/build_flavour.h"
#include "search/transposition.h"
#include "search_test_support.h"

namespace {

using search_test::EnsureEngineTables;

// Distinct keys that share a bucket: equal low 32 bits.
uint64_t KeyInBucket(uint32_t index, uint32_t tag) {
  return (static_cast<uint64_t>(tag) << 32) | index;
}

TTData EntryAt(uint32_t index, int slot) {
  return UnpackTTData(tt_table[index + slot].data.load());
}

// Writes an entry directly, as a store of an earlier search would have.
void PutEntry(uint32_t index, int slot, uint64_t key, int depth, int bound, int age, int score) {
  const uint64_t data = PackTTData(0, depth, bound, age, score, 0);
  tt_table[index + slot].data.store(data);
  tt_table[index + slot].check.store(BUILD_MP ? key ^ data : key);
}

class TranspositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureEngineTables();
    ClearHash();
  }
};

TEST(TranspositionLayout, EntryIsTwoWordsAndFieldsPackAtTheirBits) {
  static_assert(sizeof(TTEntry) == 16);
  static_assert(offsetof(TTEntry, check) == 0);
  static_assert(offsetof(TTEntry, data) == 8);
  const uint64_t data = PackTTData(0x1234, 200, BOUND_LOWER, 9, -2, 0);
  EXPECT_EQ(data & 0xFFFF, 0x1234u);
  EXPECT_EQ((data >> 16) & 0xFF, 200u);
  EXPECT_EQ((data >> 24) & 0xF, static_cast<uint64_t>(BOUND_LOWER));
  EXPECT_EQ((data >> 28) & 0xF, 9u);
  EXPECT_EQ((data >> 32) & 0xFFFF, 0xFFFEu);
  EXPECT_EQ(data >> 48, 0u);
  // Reserved bits are carried over, never written.
  EXPECT_EQ(PackTTData(0, 0, 0, 0, 0, 0xABCD000000000000ull) >> 48, 0xABCDu);
  const TTData d = UnpackTTData(PackTTData(0x1234, 129, BOUND_EXACT, 15, -29800, 0));
  EXPECT_EQ(d.move, 0x1234);
  EXPECT_EQ(d.depth, 129);
  EXPECT_EQ(d.bound, BOUND_EXACT);
  EXPECT_EQ(d.age, 15);
  EXPECT_EQ(d.score, -29800);
}

TEST_F(TranspositionTest, SizeHasThreeSpareEntries) {
  EXPECT_EQ(tt_entry_count, (size_t{1} << (search_test::TEST_HASH_LOG + 15)) + 3);
  EXPECT_EQ(tt_index_mask, (1u << (search_test::TEST_HASH_LOG + 15)) - 1);
  // The last bucket runs into the spare entries.
  const uint64_t key = KeyInBucket(tt_index_mask, 7);
  for (int i = 0; i < 4; ++i) PutEntry(tt_index_mask, i, KeyInBucket(tt_index_mask, 7 + i), 10, BOUND_EXACT, 0, i);
  TTData d;
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.score, 0);
  ASSERT_TRUE(ProbeHash(KeyInBucket(tt_index_mask, 10), &d));
  EXPECT_EQ(d.score, 3);
}

TEST_F(TranspositionTest, StoreThenProbe) {
  const uint64_t key = 0x0123456789ABCDEFull;
  TTData d;
  EXPECT_FALSE(ProbeHash(key, &d));
  StoreHash(key, 0x0456, 7, BOUND_UPPER, -55);
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.move, 0x0456);
  EXPECT_EQ(d.depth, 7);
  EXPECT_EQ(d.bound, BOUND_UPPER);
  EXPECT_EQ(d.score, -55);
  EXPECT_FALSE(ProbeHash(key ^ (1ull << 40), &d));
}

TEST_F(TranspositionTest, VictimIsShallowestThenLowerBound) {
  const uint32_t index = 1000;
  const int depths[4] = {5, 3, 3, 7};
  const int bounds[4] = {BOUND_EXACT, BOUND_LOWER, BOUND_UPPER, BOUND_EXACT};
  for (int i = 0; i < 4; ++i) PutEntry(index, i, KeyInBucket(index, 100 + i), depths[i], bounds[i], 0, i);
  StoreHash(KeyInBucket(index, 200), 0, 4, BOUND_EXACT, 99);
  // The depth-3 entry with the lower bound code (slot 2, upper) goes.
  TTData d;
  EXPECT_TRUE(ProbeHash(KeyInBucket(index, 101), &d));
  EXPECT_FALSE(ProbeHash(KeyInBucket(index, 102), &d));
  EXPECT_EQ(EntryAt(index, 2).score, 99);
}

TEST_F(TranspositionTest, EqualPrioritiesReplaceTheFirst) {
  const uint32_t index = 2000;
  for (int i = 0; i < 4; ++i) PutEntry(index, i, KeyInBucket(index, 300 + i), 3, BOUND_LOWER, 0, i);
  StoreHash(KeyInBucket(index, 400), 0, 9, BOUND_LOWER, 77);
  EXPECT_EQ(EntryAt(index, 0).score, 77);
}

TEST_F(TranspositionTest, OlderEntriesGoFirstWhateverTheirDepth) {
  const uint32_t index = 3000;
  PutEntry(index, 0, KeyInBucket(index, 1), 40, BOUND_EXACT, 0, 1);  // old and deep
  NewSearchAge();
  for (int i = 1; i < 4; ++i) PutEntry(index, i, KeyInBucket(index, 10 + i), 1, BOUND_NONE, tt_age, 0);
  StoreHash(KeyInBucket(index, 50), 0, 2, BOUND_EXACT, 5);
  TTData d;
  EXPECT_FALSE(ProbeHash(KeyInBucket(index, 1), &d));
  EXPECT_EQ(EntryAt(index, 0).score, 5);
}

TEST_F(TranspositionTest, DeeperMatchKeepsItsResultAndGainsOnlyAMissingMove) {
  const uint64_t key = KeyInBucket(4000, 1);
  StoreHash(key, 0, 9, BOUND_LOWER, 120);
  NewSearchAge();
  StoreHash(key, 0x0222, 4, BOUND_UPPER, -300);
  TTData d;
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.depth, 9);
  EXPECT_EQ(d.bound, BOUND_LOWER);
  EXPECT_EQ(d.score, 120);
  EXPECT_EQ(d.move, 0x0222);
  EXPECT_EQ(d.age, tt_age);
  StoreHash(key, 0x0333, 4, BOUND_UPPER, -300);
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.move, 0x0222);
}

TEST_F(TranspositionTest, ShallowerOrEqualMatchIsReplacedButMoveZeroKeepsTheOldMove) {
  const uint64_t key = KeyInBucket(5000, 1);
  StoreHash(key, 0x0111, 4, BOUND_LOWER, 10);
  StoreHash(key, 0, 4, BOUND_UPPER, -20);
  TTData d;
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.move, 0x0111);
  EXPECT_EQ(d.bound, BOUND_UPPER);
  EXPECT_EQ(d.score, -20);
  StoreHash(key, 0x0999, 6, BOUND_EXACT, 30);
  ASSERT_TRUE(ProbeHash(key, &d));
  EXPECT_EQ(d.move, 0x0999);
  EXPECT_EQ(d.depth, 6);
}

TEST(MateScores, ConvertBetweenRootAndNodeDistance) {
  EXPECT_EQ(ToTableScore(29790, 6), 29796);
  EXPECT_EQ(FromTableScore(29796, 2), 29794);
  EXPECT_EQ(ToTableScore(-29790, 6), -29796);
  EXPECT_EQ(FromTableScore(-29796, 2), -29794);
  EXPECT_EQ(ToTableScore(MATE_BOUND, 10), MATE_BOUND);
  EXPECT_EQ(FromTableScore(-MATE_BOUND, 10), -MATE_BOUND);
  EXPECT_EQ(ToTableScore(150, 10), 150);
}

TEST_F(TranspositionTest, CutoffFollowsBoundAndDepth) {
  const uint64_t key = KeyInBucket(6000, 1);
  Move move;
  int score = 0;
  EXPECT_FALSE(HashCutoff(key, 3, 0, 0, &move, &score));
  EXPECT_EQ(move, 0);
  StoreHash(key, 0x0555, 5, BOUND_LOWER, 80);
  EXPECT_TRUE(HashCutoff(key, 5, 80, 0, &move, &score));
  EXPECT_EQ(score, 80);
  EXPECT_FALSE(HashCutoff(key, 5, 81, 0, &move, &score));
  EXPECT_EQ(move, 0x0555);  // the move comes even without a cut-off
  EXPECT_FALSE(HashCutoff(key, 6, 50, 0, &move, &score));  // too shallow
  StoreHash(key, 0, 7, BOUND_UPPER, 80);
  EXPECT_TRUE(HashCutoff(key, 7, 81, 0, &move, &score));
  EXPECT_FALSE(HashCutoff(key, 7, 80, 0, &move, &score));
}

TEST_F(TranspositionTest, ShallowMateScoresCutOnlyInTheirDirection) {
  const uint64_t key = KeyInBucket(7000, 1);
  Move move;
  int score = 0;
  StoreHash(key, 0, 2, BOUND_EXACT, -29500);
  EXPECT_TRUE(HashCutoff(key, 8, -29000, 0, &move, &score));  // as an upper bound
  EXPECT_EQ(score, -29500);
  EXPECT_FALSE(HashCutoff(key, 8, -29600, 0, &move, &score));  // never as a lower one
  const uint64_t win = KeyInBucket(7001, 1);
  StoreHash(win, 0, 2, BOUND_LOWER, ToTableScore(29790, 4));
  EXPECT_TRUE(HashCutoff(win, 8, 100, 4, &move, &score));
  EXPECT_EQ(score, 29790);
  StoreHash(KeyInBucket(7002, 1), 0, 2, BOUND_UPPER, 29790);
  EXPECT_FALSE(HashCutoff(KeyInBucket(7002, 1), 8, 29795, 0, &move, &score));
}

TEST_F(TranspositionTest, AgesWrapAtSixteen) {
  for (int i = 0; i < 16; ++i) NewSearchAge();
  EXPECT_EQ(tt_age, 0);
  NewSearchAge();
  EXPECT_EQ(age_distance[0], 1);
  EXPECT_EQ(age_distance[1], 0);
  EXPECT_EQ(age_distance[2], 15);
}

TEST_F(TranspositionTest, ClearHashForgetsEveryEntry) {
  const uint64_t key = KeyInBucket(8000, 1);
  StoreHash(key, 0x0123, 12, BOUND_EXACT, 42);
  NewSearchAge();
  ClearHash();
  EXPECT_EQ(tt_age, 0);
  for (int d : age_distance) EXPECT_EQ(d, 0);
  TTData d;
  EXPECT_FALSE(ProbeHash(key, &d));
  EXPECT_EQ(EntryAt(8000, 0).depth, 128);
  // Cleared entries are ordinary victims afterwards.
  StoreHash(key, 0x0123, 1, BOUND_LOWER, 5);
  EXPECT_TRUE(ProbeHash(key, &d));
}
}  // namespace
