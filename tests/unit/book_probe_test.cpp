// The book prober: the weighted choice, the walk along the game's moves,
// and files that are damaged in every way a file can be.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "board/random_state.h"
#include "board_test_support.h"
#include "frontend/book/book.h"
#include "frontend/book/format.h"
#include "frontend/book/probe.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Book keys of a few moves by their squares' names.
uint16_t Key(const char* text) {
  const int from = (text[0] - 'a') + 8 * (text[1] - '1');
  const int to = (text[2] - 'a') + 8 * (text[3] - '1');
  return static_cast<uint16_t>(to * 64 + from);
}

// A book image: the header, then entries appended record by record.
struct BookImage {
  Bytes bytes = Bytes(BOOK_RECORD_SIZE, 0);

  explicit BookImage(int root_count) {
    bytes[0] = BOOK_FORMAT_MARK;
    bytes[1] = static_cast<uint8_t>(root_count);
  }
  // Appends one entry and returns its record number.
  uint32_t Add(uint16_t key, uint32_t weight, uint32_t first_child = 0, int child_count = 0) {
    const uint32_t record = static_cast<uint32_t>(bytes.size() / BOOK_RECORD_SIZE);
    bytes.resize(bytes.size() + BOOK_RECORD_SIZE);
    EncodeBookEntry(MakeBookEntry(first_child, child_count, key, weight), &bytes[record * BOOK_RECORD_SIZE]);
    return record;
  }
};

// A root list of the given weights on distinct moves a2a3, b2b3, ...
BookImage FlatBook(const std::vector<uint32_t>& weights) {
  BookImage book(static_cast<int>(weights.size()));
  for (size_t i = 0; i < weights.size(); ++i) {
    const char move[5] = {static_cast<char>('a' + i), '2', static_cast<char>('a' + i), '3', 0};
    book.Add(Key(move), weights[i]);
  }
  return book;
}

// Book files live in the test's own temporary folder.
class BookProbeTest : public ::testing::Test {
 protected:
  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("quorvel_book_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".dat"))
                          .string();

  void TearDown() override { std::remove(path_.c_str()); }

  void Write(const Bytes& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  uint16_t Probe(const std::vector<uint16_t>& keys = {}, int pick_count = 7) {
    return BookProbe(path_.c_str(), keys.data(), static_cast<int>(keys.size()), pick_count);
  }
  // How often each key is chosen over many draws from a fixed seed.
  std::map<uint16_t, int> Tally(int draws, int pick_count) {
    Probe();  // the first probe of the process seeds; fix the seed after it
    random_state = 12345;
    std::map<uint16_t, int> tally;
    for (int i = 0; i < draws; ++i) ++tally[Probe({}, pick_count)];
    return tally;
  }
};

TEST_F(BookProbeTest, AgainstAPersonTheLightestOfThreeIsNeverChosen) {
  Write(FlatBook({100, 50, 10}).bytes);
  auto tally = Tally(3000, 7);
  EXPECT_EQ(tally.size(), 2u);
  EXPECT_EQ(tally.count(Key("c2c3")), 0u);
  const double ratio = static_cast<double>(tally[Key("a2a3")]) / tally[Key("b2b3")];
  EXPECT_NEAR(ratio, 2.0, 0.25);
}

TEST_F(BookProbeTest, AgainstAComputerOnlyTheThreeHeaviest) {
  // File order deliberately not sorted.
  Write(FlatBook({60, 90, 100, 70, 80}).bytes);
  auto tally = Tally(2000, 3);
  EXPECT_EQ(tally.size(), 3u);
  for (const char* move : {"b2b3", "c2c3", "e2e3"}) EXPECT_GT(tally[Key(move)], 0) << move;
}

TEST_F(BookProbeTest, OneEntryIsAlwaysChosenAndUsesOneDraw) {
  Write(FlatBook({5}).bytes);
  Probe();
  for (uint32_t seed : {1u, 77u, 0xFFFFFFFFu}) {
    random_state = seed;
    EXPECT_EQ(Probe(), Key("a2a3"));
    random_state = seed;
    const uint32_t expected = NextRandom();
    random_state = seed;
    Probe();
    EXPECT_EQ(random_state, expected) << "one draw per probe, no second seeding";
  }
}

TEST_F(BookProbeTest, EqualWeightsKeepFileOrder) {
  // With two candidates only the first after sorting can be chosen.
  Write(FlatBook({20, 20}).bytes);
  EXPECT_EQ(Tally(50, 7).size(), 1u);
  EXPECT_EQ(Probe(), Key("a2a3"));
  Write(FlatBook({3, 20, 20, 1}).bytes);
  // Sorted: b(20) c(20) a(3) d(1); k = 3, so d is never chosen.
  auto tally = Tally(2000, 7);
  EXPECT_EQ(tally.count(Key("d2d3")), 0u);
  EXPECT_NEAR(static_cast<double>(tally[Key("b2b3")]) / tally[Key("c2c3")], 1.0, 0.2);
  // Against a computer, k = 3 too; with pick count 1 only the first of the equal pair.
  EXPECT_EQ(Tally(50, 1).size(), 1u);
  EXPECT_EQ(Probe({}, 1), Key("b2b3"));
}

TEST_F(BookProbeTest, ZeroWeightsAreWalkedButNeverChosen) {
  BookImage book(2);
  book.Add(Key("e2e4"), 0, 3, 2);
  book.Add(Key("d2d4"), 0, 5, 1);
  book.Add(Key("e7e5"), 0);
  book.Add(Key("c7c5"), 9);
  book.Add(Key("d7d5"), 0);
  Write(book.bytes);
  EXPECT_EQ(Probe(), 0) << "no positive weight at the root";
  EXPECT_EQ(Probe({Key("e2e4")}), Key("c7c5"));
  EXPECT_EQ(Probe({Key("d2d4")}), 0);
  EXPECT_EQ(Probe({Key("g1f3")}), 0) << "a move the book does not hold";
  EXPECT_EQ(Probe({Key("e2e4"), Key("c7c5")}), 0) << "no children stored";
}

TEST_F(BookProbeTest, MalformedFilesGiveNoMove) {
  EXPECT_EQ(Probe(), 0) << "no file";
  const Bytes good = FlatBook({5, 3}).bytes;
  Write(good);
  ASSERT_EQ(Probe(), Key("a2a3"));

  Bytes bad = good;
  bad[0] = 10;
  Write(bad);
  EXPECT_EQ(Probe(), 0) << "format mark 10";
  for (uint8_t count : {0, 128, 200, 255}) {
    bad = good;
    bad[1] = count;
    Write(bad);
    EXPECT_EQ(Probe(), 0) << "root count " << int(count);
  }
  bad = good;
  bad[1] = 3;
  Write(bad);
  EXPECT_EQ(Probe(), 0) << "root list longer than the file";
  for (size_t length : {0, 5, 8, 12, 23}) {
    Write(Bytes(good.begin(), good.begin() + length));
    EXPECT_EQ(Probe(), 0) << "truncated to " << length << " bytes";
  }
}

TEST_F(BookProbeTest, BadLinksGiveNoMove) {
  BookImage book(1);
  book.Add(Key("e2e4"), 5, 2, 1);  // child at record 2
  book.Add(Key("e7e5"), 5);
  Write(book.bytes);
  ASSERT_EQ(Probe({Key("e2e4")}), Key("e7e5"));
  for (auto [first, count] : {std::pair{3u, 1}, {2u, 2}, {0xFFFFFFu, 127}, {2u, 0}}) {
    BookImage broken(1);
    broken.Add(Key("e2e4"), 5, first, count);
    broken.Add(Key("e7e5"), 5);
    Write(broken.bytes);
    EXPECT_EQ(Probe({Key("e2e4")}), 0) << "link " << first << " count " << count;
  }
}

// Every answer of a damaged book is 0 or a key stored somewhere in it; the
// sanitizer builds check that nothing is read outside the probe's buffers.
TEST_F(BookProbeTest, MutatedFilesNeverMislead) {
  BookImage book(3);
  const uint16_t roots[3] = {Key("e2e4"), Key("d2d4"), Key("g1f3")};
  const uint16_t replies[3] = {Key("e7e5"), Key("d7d5"), Key("g8f6")};
  for (int i = 0; i < 3; ++i) book.Add(roots[i], 30 - i, 4 + 3 * i, 3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) book.Add(replies[j], 10 + j, 13 + 3 * i, i == 2 ? 0 : 2);
  while (book.bytes.size() < 40 * BOOK_RECORD_SIZE) book.Add(Key("b1c3"), 4);
  std::mt19937 generator(20261208);
  for (int round = 0; round < 800; ++round) {
    Bytes bytes = book.bytes;
    const int mutations = 1 + static_cast<int>(generator() % 6);
    for (int m = 0; m < mutations; ++m) {
      const size_t at = generator() % bytes.size();
      switch (generator() % 4) {
        case 0: bytes[at] = static_cast<uint8_t>(generator()); break;
        case 1: bytes[at] ^= static_cast<uint8_t>(1u << (generator() % 8)); break;
        case 2: bytes[at] = (generator() % 2) ? 0xFF : 0x00; break;
        default: bytes.resize(at); break;
      }
      if (bytes.empty()) break;
    }
    Write(bytes);
    std::set<uint16_t> stored;
    for (size_t r = 1; (r + 1) * BOOK_RECORD_SIZE <= bytes.size(); ++r)
      stored.insert(EntryKey(DecodeBookEntry(&bytes[r * BOOK_RECORD_SIZE])));
    const std::vector<std::vector<uint16_t>> paths = {
        {}, {roots[0]}, {roots[1], replies[2]}, {roots[2], replies[0], Key("b1c3")}};
    for (const auto& path : paths) {
      const uint16_t key = Probe(path, 1 + static_cast<int>(generator() % 7));
      EXPECT_TRUE(key == 0 || stored.count(key)) << "round " << round << " key " << key;
    }
  }
}

// BookMoveForGame walks the game's own moves through "Quorvel.dat" in the
// current directory and turns the key back into a legal move.
class BookGameTest : public ::testing::Test {
 protected:
  std::filesystem::path previous_ = std::filesystem::current_path();
  uint8_t previous_flags_ = protocol_flags;
  std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                  ("quorvel_book_game_" + std::to_string(std::random_device()()));

  void SetUp() override {
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    BookImage book(2);
    book.Add(Key("e2e4"), 5, 3, 1);
    book.Add(Key("e2e5"), 1);  // stored, but no legal move
    book.Add(Key("e7e5"), 0, 4, 1);
    book.Add(Key("g1f3"), 7);
    std::ofstream out(BOOK_FILE_NAME, std::ios::binary);
    out.write(reinterpret_cast<const char*>(book.bytes.data()), static_cast<std::streamsize>(book.bytes.size()));
    out.close();
    board_test::EnsureBoardTables();
    SetPosition(game_position, START_FEN);
    game_length = 0;
    RebuildLegalMoves();
  }
  void TearDown() override {
    protocol_flags = previous_flags_;
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  void Play(const char* text) {
    ApplyGameMove(MoveWord((text[0] - 'a') + 8 * (text[1] - '1'), (text[2] - 'a') + 8 * (text[3] - '1')));
    RebuildLegalMoves();
  }
};

TEST_F(BookGameTest, FollowsTheGameMoves) {
  SetFlag(OpponentIsComputer, true);
  EXPECT_EQ(BookMoveForGame(), MoveWord(12, 28)) << "with two candidates, always the heavier";
  Play("e2e4");
  Play("e7e5");
  EXPECT_EQ(BookMoveForGame(), MoveWord(6, 21));
  Play("g1f3");
  EXPECT_EQ(BookMoveForGame(), 0) << "no reply stored";
}

TEST_F(BookGameTest, LeavesTheBookOnAnUnknownMoveOrAnIllegalKey) {
  Play("e2e4");
  Play("c7c5");
  EXPECT_EQ(BookMoveForGame(), 0);
  BookImage illegal(1);
  illegal.Add(Key("e2e5"), 9);
  std::ofstream(BOOK_FILE_NAME, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(illegal.bytes.data()), static_cast<std::streamsize>(illegal.bytes.size()));
  SetPosition(game_position, START_FEN);
  game_length = 0;
  RebuildLegalMoves();
  EXPECT_EQ(BookMoveForGame(), 0);
}

TEST_F(BookGameTest, LongGamesAreNotLookedUp) {
  EXPECT_NE(BookMoveForGame(), 0);
  game_length = BOOK_MAX_GAME_PLIES;
  EXPECT_EQ(BookMoveForGame(), 0);
  game_length = 0;
}

}  // namespace
