// The book tool's parts: SAN against the legal list, the PGN reader, the
// tree's weights and limits, the file layout read back by the prober, and
// Polyglot keys and moves.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/make_move.h"
#include "board/set_position.h"
#include "frontend/book/format.h"
#include "frontend/book/probe.h"
#include "tools/book/book_dump.h"
#include "tools/book/book_tree.h"
#include "tools/book/book_writer.h"
#include "tools/book/pgn_reader.h"
#include "tools/book/polyglot_book.h"
#include "tools/book/san_move.h"

namespace {

// Builds the start-up tables once per test program (dump and the Polyglot
// walk replay moves).
void EnsureTables() {
  static const bool built = [] {
    InitAttackTables();
    InitKeys();
    InitCastleMasks();
    return true;
  }();
  (void)built;
}

std::unique_ptr<Position> PositionFrom(const char* fen) {
  EnsureTables();
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen);
  return pos;
}

Move Coordinates(const char* text, int promotion = 0) {
  return static_cast<Move>(MoveWord((text[0] - 'a') + 8 * (text[1] - '1'), (text[2] - 'a') + 8 * (text[3] - '1')) |
                           promotion << 12);
}

// Plays moves given in SAN; stops the test on one that does not resolve.
void PlaySan(Position& pos, std::initializer_list<const char*> moves) {
  for (const char* san : moves) {
    const Move move = MoveFromSan(pos, san);
    ASSERT_NE(move, 0) << san;
    UndoRecord undo;
    SaveState(pos, undo);
    MakeMove(pos, undo, move, -1);
  }
}

TEST(SanMove, ResolvesAgainstTheLegalList) {
  auto pos = PositionFrom(START_FEN);
  EXPECT_EQ(MoveFromSan(*pos, "e4"), Coordinates("e2e4"));
  EXPECT_EQ(MoveFromSan(*pos, "Nf3"), Coordinates("g1f3"));
  EXPECT_EQ(MoveFromSan(*pos, "Nf3!?"), Coordinates("g1f3"));
  EXPECT_EQ(MoveFromSan(*pos, "g1f3"), Coordinates("g1f3")) << "coordinates";
  for (const char* bad : {"e5", "Nd2", "Ke2", "O-O", "Bb5", "", "xx", "e2e4e5", "Zf3", "nf3"})
    EXPECT_EQ(MoveFromSan(*pos, bad), 0) << bad;
}

TEST(SanMove, CastlingCapturesAndDisambiguation) {
  auto pos = PositionFrom("r3k2r/8/8/3p4/2N1N3/8/8/R3K2R w KQkq -");
  EXPECT_EQ(MoveFromSan(*pos, "O-O"), Coordinates("e1g1"));
  EXPECT_EQ(MoveFromSan(*pos, "0-0-0+"), Coordinates("e1c1"));
  EXPECT_EQ(MoveFromSan(*pos, "Nxd5"), 0) << "no knight reaches d5... ";
  EXPECT_EQ(MoveFromSan(*pos, "Nd6+"), 0) << "two knights: ambiguous";
  EXPECT_EQ(MoveFromSan(*pos, "Ncd6"), Coordinates("c4d6"));
  EXPECT_EQ(MoveFromSan(*pos, "Ned6"), Coordinates("e4d6"));
  EXPECT_EQ(MoveFromSan(*pos, "N4d6"), 0) << "both on rank 4";
  EXPECT_EQ(MoveFromSan(*pos, "Rd1"), Coordinates("a1d1"));
  auto black = PositionFrom("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
  EXPECT_EQ(MoveFromSan(*black, "O-O-O"), Coordinates("e8c8"));
}

TEST(SanMove, PawnCapturesEnPassantAndPromotions) {
  auto pos = PositionFrom("1n2k3/P7/8/3pP3/8/8/8/4K3 w - d6");
  EXPECT_EQ(MoveFromSan(*pos, "exd6"), static_cast<Move>(Coordinates("e5d6") | EN_PASSANT_FLAG));
  EXPECT_EQ(MoveFromSan(*pos, "a8=Q"), Coordinates("a7a8", QUEEN));
  EXPECT_EQ(MoveFromSan(*pos, "a8N"), Coordinates("a7a8", KNIGHT));
  EXPECT_EQ(MoveFromSan(*pos, "axb8=R+"), Coordinates("a7b8", ROOK));
  EXPECT_EQ(MoveFromSan(*pos, "a7b8b"), Coordinates("a7b8", BISHOP));
  EXPECT_EQ(MoveFromSan(*pos, "a8"), 0) << "a promotion needs its piece";
  EXPECT_EQ(MoveFromSan(*pos, "a8=K"), 0);
  EXPECT_EQ(MoveFromSan(*pos, "Ka8=Q"), 0);
}

TEST(PgnReader, ReadsPastCommentsVariationsAndNags) {
  PgnReader reader(
      "[Event \"a \\\"quoted\\\" name\"]\n[Result \"0-1\"]\n\n"
      "% an escape line\n"
      "1. e4 {a comment; with (marks)} e5 $14 2. Nf3!? ; to the end of the line ) (\n"
      "Nc6 (2... d6 3. d4 (3. Bc4)) 3.Bb5 a6?! 4...Nf6 0-1\n"
      "1. d4 d5 2. c4 *\n"
      "[Event \"no result\"]\n1. c4\n"
      "[Event \"next\"]\n[FEN \"8/8/8/8/8/8/8/K6k w - -\"]\n1. Kb1 1/2-1/2\n");
  PgnGame game;
  ASSERT_TRUE(reader.Next(game));
  EXPECT_EQ(game.number, 1);
  EXPECT_EQ(game.result, GameResult::BlackWins);
  EXPECT_EQ(game.moves, (std::vector<std::string>{"e4", "e5", "Nf3!?", "Nc6", "Bb5", "a6?!", "Nf6"}));
  ASSERT_TRUE(reader.Next(game));
  EXPECT_EQ(game.moves, (std::vector<std::string>{"d4", "d5", "c4"}));
  EXPECT_EQ(game.result, GameResult::Unknown);
  ASSERT_TRUE(reader.Next(game));
  EXPECT_EQ(game.number, 3);
  EXPECT_EQ(game.moves, std::vector<std::string>{"c4"});
  ASSERT_TRUE(reader.Next(game));
  EXPECT_TRUE(game.set_up);
  EXPECT_EQ(game.result, GameResult::Draw);
  EXPECT_FALSE(reader.Next(game));
}

TEST(PgnReader, UnterminatedCommentsAndEmptyText) {
  PgnGame game;
  PgnReader empty("  \n\n");
  EXPECT_FALSE(empty.Next(game));
  // A zero byte or other stray character must not stall the reader.
  PgnReader stray(std::string("1. e4 \0 e5\0\0 2. Nf3 }] 1-0", 26));
  ASSERT_TRUE(stray.Next(game));
  EXPECT_EQ(game.moves, (std::vector<std::string>{"e4", "e5", "Nf3"}));
  PgnReader open_comment("1. e4 { never closed");
  ASSERT_TRUE(open_comment.Next(game));
  EXPECT_EQ(game.moves, std::vector<std::string>{"e4"});
  EXPECT_FALSE(open_comment.Next(game));
}

TEST(PgnReader, ByteOrderMarkAndEnPassantMarks) {
  PgnGame game;
  PgnReader marked("\xEF\xBB\xBF[Result \"1-0\"]\n1. e4 d5 2. e5 f5 3. exf6 e.p. Nc6 4. d4 e5 5. dxe6e.p. 1-0");
  ASSERT_TRUE(marked.Next(game));
  EXPECT_EQ(game.result, GameResult::WhiteWins);
  EXPECT_EQ(game.moves, (std::vector<std::string>{"e4", "d5", "e5", "f5", "exf6", "Nc6", "d4", "e5", "dxe6"}));
  PgnReader plain("1. e4 d5 2. e5 f5 3. exf6 ep *");
  ASSERT_TRUE(plain.Next(game));
  EXPECT_EQ(game.moves.back(), "exf6");
}

TEST(BookTree, WeightsMinimumCountsAndScaling) {
  BookTree tree;
  const Move e4 = Coordinates("e2e4"), d4 = Coordinates("d2d4"), c4 = Coordinates("c2c4");
  for (int i = 0; i < 3; ++i) tree.AddMove(0, d4, 1);
  tree.AddMove(0, e4, 2);
  tree.AddMove(0, e4, 2);
  tree.AddMove(0, c4, 0);
  BookTree counts = tree;
  tree.Finish(1, WeightRule::Results);
  const auto& roots = tree.Node(0).children;
  ASSERT_EQ(roots.size(), 3u);
  EXPECT_EQ(tree.Node(roots[0]).move, e4);  // 4 points
  EXPECT_EQ(tree.Node(roots[1]).move, d4);  // 3 points
  EXPECT_EQ(tree.Node(roots[2]).weight, 0u) << "only losses: walked, never chosen";
  counts.Finish(2, WeightRule::Counts);
  ASSERT_EQ(counts.Node(0).children.size(), 2u) << "c4 seen once, dropped";
  EXPECT_EQ(counts.Node(counts.Node(0).children[0]).move, d4);

  BookTree heavy;
  heavy.AddMove(0, e4, 10 * uint64_t{BOOK_MAX_WEIGHT});
  heavy.AddMove(0, d4, 3);
  heavy.Finish(1, WeightRule::Results);
  EXPECT_EQ(heavy.Node(heavy.Node(0).children[0]).weight, BOOK_MAX_WEIGHT);
  EXPECT_EQ(heavy.Node(heavy.Node(0).children[1]).weight, 1u) << "a positive weight stays positive";
}

TEST(BookTree, PromotionsShareTheirKey) {
  BookTree tree;
  tree.AddMove(0, Coordinates("a7a8", QUEEN), 1);
  tree.AddMove(0, Coordinates("a7a8", KNIGHT), 1);
  EXPECT_EQ(tree.Node(0).children.size(), 1u);
}

// The written file, walked by the engine's own prober.
class BookFileTest : public ::testing::Test {
 protected:
  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("quorvel_builder_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                        ".dat"))
                          .string();
  void SetUp() override { EnsureTables(); }
  void TearDown() override { std::remove(path_.c_str()); }

  std::vector<uint8_t> Write(const BookTree& tree) {
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(LayOutBook(tree, image, error)) << error;
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                 static_cast<std::streamsize>(image.size()));
    return image;
  }
};

TEST_F(BookFileTest, EveryStoredLineCanBeWalked) {
  BookTree tree;
  const std::vector<std::vector<const char*>> lines = {
      {"e2e4", "e7e5", "g1f3", "b8c6"}, {"e2e4", "c7c5", "g1f3"}, {"d2d4", "g8f6", "c2c4", "e7e6"}, {"c2c4"}};
  for (const auto& line : lines) {
    int node = 0;
    for (const char* move : line) node = tree.AddMove(node, Coordinates(move), 1);
  }
  tree.Finish(1, WeightRule::Counts);
  const std::vector<uint8_t> image = Write(tree);
  EXPECT_EQ(image.size(), (1 + 11) * size_t{BOOK_RECORD_SIZE});
  // Walking each line's prefix, the choice is one of the moves stored after
  // that prefix; past the line's end the book has nothing.
  for (const auto& line : lines) {
    std::vector<uint16_t> keys;
    for (size_t ply = 0; ply <= line.size(); ++ply) {
      std::set<uint16_t> stored;
      for (const auto& other : lines)
        if (other.size() > ply && std::equal(line.begin(), line.begin() + ply, other.begin(),
                                             [](const char* a, const char* b) { return std::string(a) == b; }))
          stored.insert(BookKeyOf(Coordinates(other[ply])));
      const uint16_t got = BookProbe(path_.c_str(), keys.data(), static_cast<int>(keys.size()), 3);
      if (stored.empty()) {
        EXPECT_EQ(got, 0) << "past the end of a line";
      } else {
        EXPECT_TRUE(stored.count(got)) << "ply " << ply << " of a line from " << line[0];
        keys.push_back(BookKeyOf(Coordinates(line[ply])));
      }
    }
  }
  std::ostringstream out, errors;
  ASSERT_TRUE(DumpBook(image, 2, out, errors)) << errors.str();
  EXPECT_EQ(out.str(), "e2e4 2\n  e7e5 1\n  c7c5 1\nd2d4 1\n  g8f6 1\nc2c4 1\n");
}

TEST_F(BookFileTest, EmptyTreesAreNotWritten) {
  BookTree tree;
  std::vector<uint8_t> image;
  std::string error;
  EXPECT_FALSE(LayOutBook(tree, image, error));
  EXPECT_FALSE(error.empty());
}

TEST(BookDump, ReportsTheRecordAtFault) {
  EnsureTables();
  BookTree tree;
  tree.AddMove(tree.AddMove(0, Coordinates("e2e4"), 1), Coordinates("e7e5"), 1);
  tree.Finish(1, WeightRule::Counts);
  std::vector<uint8_t> good;
  std::string error;
  ASSERT_TRUE(LayOutBook(tree, good, error));
  auto dump = [](const std::vector<uint8_t>& image) {
    std::ostringstream out, errors;
    return DumpBook(image, 128, out, errors) ? std::string("ok") : errors.str();
  };
  EXPECT_EQ(dump(good), "ok");
  std::vector<uint8_t> bad = good;
  bad[0] = 10;
  EXPECT_EQ(dump(bad).rfind("record 0:", 0), 0u);
  bad = good;
  bad[1] = 0x80;
  EXPECT_EQ(dump(bad).rfind("record 0:", 0), 0u);
  bad = good;
  EncodeBookEntry(MakeBookEntry(7, 1, BookKeyOf(Coordinates("e2e4")), 1), &bad[8]);
  EXPECT_EQ(dump(bad).rfind("record 1:", 0), 0u) << dump(bad);
  bad = good;
  EncodeBookEntry(MakeBookEntry(0, 0, 0, 1), &bad[16]);
  EXPECT_EQ(dump(bad).rfind("record 2:", 0), 0u) << dump(bad);
  bad = good;
  bad.pop_back();
  EXPECT_EQ(dump(bad).rfind("record 2:", 0), 0u) << dump(bad);
  // A list that links back to itself is checked once, not followed forever.
  bad = good;
  EncodeBookEntry(MakeBookEntry(1, 1, BookKeyOf(Coordinates("e2e4")), 1), &bad[8]);
  EXPECT_EQ(dump(bad), "ok");
}

TEST(Polyglot, KeysOfTheFormatsReferencePositions) {
  struct Case {
    std::initializer_list<const char*> moves;
    uint64_t key;
  };
  const Case cases[] = {
      {{}, 0x463b96181691fc9cULL},
      {{"e4"}, 0x823c9b50fd114196ULL},
      {{"e4", "d5"}, 0x0756b94461c50fb0ULL},
      {{"e4", "d5", "e5"}, 0x662fafb965db29d4ULL},
      {{"e4", "d5", "e5", "f5"}, 0x22a48b5a8e47ff78ULL},
      {{"e4", "d5", "e5", "f5", "Ke2"}, 0x652a607ca3f242c1ULL},
      {{"e4", "d5", "e5", "f5", "Ke2", "Kf7"}, 0x00fdd303c946bdd9ULL},
      {{"a4", "b5", "h4", "b4", "c4"}, 0x3c8123ea7b067637ULL},
      {{"a4", "b5", "h4", "b4", "c4", "bxc3", "Ra3"}, 0x5c3f9b829b279560ULL},
  };
  for (const Case& c : cases) {
    auto pos = PositionFrom(START_FEN);
    PlaySan(*pos, c.moves);
    EXPECT_EQ(PolyglotKey(*pos), c.key) << c.moves.size() << " moves";
  }
}

TEST(Polyglot, MovesCastlingAndPromotions) {
  auto pos = PositionFrom("r3k2r/1P6/8/8/8/8/8/R3K2R w KQkq -");
  const auto word = [](const char* text, int promotion = 0) {
    return static_cast<uint16_t>(((text[1] - '1') * 8 + (text[0] - 'a')) << 6 | ((text[3] - '1') * 8 + (text[2] - 'a')) |
                                 promotion << 12);
  };
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("e1h1")), Coordinates("e1g1"));
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("e1a1")), Coordinates("e1c1"));
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("b7a8", 4)), Coordinates("b7a8", QUEEN));
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("b7b8", 1)), Coordinates("b7b8", KNIGHT));
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("b7b8")), 0) << "the promotion piece is required";
  EXPECT_EQ(PolyglotMoveToMove(*pos, word("e1e3")), 0);
}

TEST(Polyglot, WalksASmallBookToItsPlies) {
  // Start: e4 (weight 10) and d4 (weight 0, dropped); after e4: c5 (3).
  auto start = PositionFrom(START_FEN);
  auto after_e4 = PositionFrom(START_FEN);
  PlaySan(*after_e4, {"e4"});
  std::vector<PolyglotEntry> entries = {
      {PolyglotKey(*start), static_cast<uint16_t>(12 << 6 | 28), 10},
      {PolyglotKey(*start), static_cast<uint16_t>(11 << 6 | 27), 0},
      {PolyglotKey(*after_e4), static_cast<uint16_t>(50 << 6 | 34), 3},
  };
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.key < b.key; });
  BookTree tree;
  bool truncated = false;
  EXPECT_EQ(WalkPolyglotBook(entries, 8, 1, 1000, tree, truncated), 0);
  EXPECT_FALSE(truncated);
  ASSERT_EQ(tree.Size(), 3);
  EXPECT_EQ(tree.Node(1).move, Coordinates("e2e4"));
  EXPECT_EQ(tree.Node(1).points, 10u);
  EXPECT_EQ(tree.Node(2).move, Coordinates("c7c5"));
  BookTree shallow;
  WalkPolyglotBook(entries, 1, 1, 1000, shallow, truncated);
  EXPECT_EQ(shallow.Size(), 2);
  BookTree capped;
  WalkPolyglotBook(entries, 8, 1, 2, capped, truncated);
  EXPECT_TRUE(truncated);
}

}  // namespace
