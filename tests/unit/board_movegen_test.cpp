// Move generation: emission order, evasions, castling, quiet checks, the
// legal list with under-promotions, and the single-move tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "board_test_support.h"

namespace {

using board_test::ForEachNode;
using board_test::Generated;
using board_test::LegalMoves;
using board_test::MoveFromText;
using board_test::PositionFrom;
using board_test::SamplePositions;

// Text of a list of moves, "e2e4 e7e8q ...", for readable comparisons.
std::string ListText(const std::vector<Move>& moves) {
  std::string text;
  for (Move move : moves) {
    if (!text.empty()) text += ' ';
    for (const int sq : {MoveFrom(move), MoveTo(move)}) {
      text += static_cast<char>('a' + FileOf(sq));
      text += static_cast<char>('1' + RankOf(sq));
    }
    if (MovePromotion(move)) text += " pnbrqk"[MovePromotion(move)];
    if (MoveIsEnPassant(move)) text += "ep";
  }
  return text;
}

TEST(MoveGeneration, StartPositionOrder) {
  auto pos = PositionFrom(START_FEN);
  EXPECT_TRUE(Generated(*pos, GenCaptures).empty());
  EXPECT_EQ(ListText(Generated(*pos, GenQuiet)),
            "b1a3 b1c3 g1f3 g1h3 "
            "a2a3 b2b3 c2c3 d2d3 e2e3 f2f3 g2g3 h2h3 "
            "a2a4 b2b4 c2c4 d2d4 e2e4 f2f4 g2g4 h2h4");
}

TEST(MoveGeneration, PromotionsAndUnderPromotionOrder) {
  // b7-b8 from the promotion block comes before b7xa8 from the captures;
  // the legal list appends the under-promotions of the last one first.
  auto pos = PositionFrom("r3k3/1P6/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(ListText(Generated(*pos, GenCaptures)), "b7b8q b7a8q");
  EXPECT_EQ(ListText(LegalMoves(*pos)),
            "b7b8q b7a8q e1d1 e1f1 e1d2 e1e2 e1f2 "
            "b7a8r b7a8b b7a8n b7b8r b7b8b b7b8n");
}

TEST(MoveGeneration, EnPassantOnlyBesideAnEnemyPawn) {
  auto pos = PositionFrom(START_FEN);
  board_test::Line line;
  line.Play(*pos, "e2e4");
  EXPECT_EQ(pos->state.ep_square, -1);
  pos = PositionFrom("4k3/8/8/8/3p4/8/4P3/4K3 w - -");
  line.Play(*pos, "e2e4");
  EXPECT_EQ(pos->state.ep_square, 20);  // e3
  EXPECT_EQ(ListText(Generated(*pos, GenCaptures)), "d4e3ep");
  // Taking en passant may not uncover the king along the rank.
  pos = PositionFrom("4k3/8/8/2KPp1r1/8/8/8/8 w - e6");
  for (Move move : LegalMoves(*pos)) EXPECT_FALSE(MoveIsEnPassant(move));
}

TEST(MoveGeneration, EvasionsFromDoubleAndSingleChecks) {
  // Double check: king steps only, never along a checking line away from
  // the checker (e1 behind the king, f1 behind it on the bishop's line).
  auto pos = PositionFrom("4r1k1/8/8/1b6/8/8/4K3/8 w - -");
  ASSERT_TRUE(pos->state.in_check);
  EXPECT_EQ(ListText(Generated(*pos, GenEvasions)), "e2d1 e2d2 e2f2 e2f3");
  // Single check by a bishop: king steps, then the knight's blocks.
  pos = PositionFrom("4k3/8/8/8/1b6/8/8/RN2K2R w KQ -");
  EXPECT_EQ(ListText(Generated(*pos, GenEvasions)), "e1d1 e1f1 e1e2 e1f2 b1d2 b1c3");
  // A pawn check answered by taking the pawn en passant.
  pos = PositionFrom("8/8/8/2k5/3Pp3/8/8/4K3 b - d3");
  EXPECT_EQ(ListText(Generated(*pos, GenEvasions)), "c5b4 c5c4 c5d4 c5b5 c5d5 c5b6 c5c6 c5d6 e4d3ep");
  // Checkmate: nothing.
  pos = PositionFrom("r1bqkbnr/pppp1Qpp/2n5/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq -");
  EXPECT_TRUE(Generated(*pos, GenEvasions).empty());
}

TEST(MoveGeneration, CastlingThroughAndOntoAttackedSquares) {
  const Move long_castle = MoveWord(4, 2);
  auto contains = [](const std::vector<Move>& moves, Move move) {
    return std::find(moves.begin(), moves.end(), move) != moves.end();
  };
  // d1 attacked: never generated.
  auto pos = PositionFrom("3rk3/8/8/8/8/8/8/R3K3 w Q -");
  EXPECT_FALSE(contains(Generated(*pos, GenQuiet), long_castle));
  // c1 attacked: generated, then refused by the legality test.
  pos = PositionFrom("2r1k3/8/8/8/8/8/8/R3K3 w Q -");
  EXPECT_TRUE(contains(Generated(*pos, GenQuiet), long_castle));
  EXPECT_FALSE(MoveIsLegal(*pos, long_castle));
  EXPECT_FALSE(MoveIsValid(*pos, long_castle));
  // Only b1 attacked: the rook may pass it.
  pos = PositionFrom("1r2k3/8/8/8/8/8/8/R3K3 w Q -");
  EXPECT_TRUE(contains(LegalMoves(*pos), long_castle));
  EXPECT_TRUE(MoveIsValid(*pos, long_castle));
}

// Checks that every list of a crowded position fits MAX_MOVES; returns the
// length of its legal list.
size_t CheckListsFit(const Position& pos) {
  Move pseudo[MAX_MOVES];
  EXPECT_LT(GenQuiet(pos, GenCaptures(pos, pseudo)) - pseudo, MAX_MOVES);
  EXPECT_LT(Generated(pos, GenQuietChecks).size(), static_cast<size_t>(MAX_MOVES));
  return LegalMoves(pos).size();
}

TEST(MoveGeneration, EveryListFitsItsArrayInCrowdedPositions) {
  // Up to seven pieces of every kind, as the material signature allows:
  // lists far beyond what real games reach must still fit MAX_MOVES.
  const char* crowded[] = {
      "BBQQR3/5Q1B/R6Q/1R6/K2Q4/B5Q1/1R5R/kBRBQRNB w - -",
      "BBR2R1B/3QQ2B/1Q5N/R6Q/2Q5/K1Q3Q1/1R5R/kBNBRR1B w - -",
  };
  for (const char* fen : crowded) {
    auto pos = PositionFrom(fen);
    ASSERT_TRUE(PositionIsPlayable(*pos));
    EXPECT_GT(CheckListsFit(*pos), 200u) << fen;
  }
  board_test::Lcg random{99};
  int playable = 0;
  for (int trial = 0; trial < 400; ++trial) {
    char board[64];
    std::fill(board, board + 64, '1');
    const char* pieces = "QQQQQQQRRRRRRRBBBBBBBNNNNNNNK";
    for (const char* p = pieces; *p; ++p) {
      int sq;
      do sq = static_cast<int>(random.Next(64)); while (board[sq] != '1');
      board[sq] = *p;
    }
    for (int i = 0; i < 8; ++i) {
      const int sq = 8 + static_cast<int>(random.Next(48));
      if (board[sq] == '1') board[sq] = i < 4 ? 'P' : 'p';
    }
    int black_king;
    do black_king = static_cast<int>(random.Next(64)); while (board[black_king] != '1');
    board[black_king] = 'k';
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
      for (int file = 0; file < 8; ++file) fen += board[rank * 8 + file];
      if (rank) fen += '/';
    }
    fen += " w - -";
    auto pos = PositionFrom(fen.c_str());
    if (!PositionIsPlayable(*pos)) continue;
    ++playable;
    CheckListsFit(*pos);
  }
  EXPECT_GT(playable, 10);
}

TEST(MoveGeneration, LegalListAgreesWithMakingEveryPseudoLegalMove) {
  // The filter and the evasion generator against the plain definition:
  // a move is legal when the mover's king is not attacked after it.
  for (const char* fen : SamplePositions()) {
    auto pos = PositionFrom(fen);
    ForEachNode(*pos, 2, [](Position& node) {
      std::set<Move> expected;
      Move pseudo[MAX_MOVES];
      const Move* end = GenQuiet(node, GenCaptures(node, pseudo));
      for (const Move* m = pseudo; m != end; ++m) {
        // Castling out of check is illegal; making it cannot show that.
        const bool castling = KindOf(node.board[MoveFrom(*m)]) == KING && distance[MoveFrom(*m)][MoveTo(*m)] == 2;
        if (castling && node.state.in_check) continue;
        UndoRecord undo;
        SaveState(node, undo);
        MakeMove(node, undo, *m, -1);
        const bool legal = !SquareAttacked(node, node.king_square[node.side ^ 1], node.side);
        UnmakeMove(node, undo, *m);
        if (legal) expected.insert(*m);
      }
      std::set<Move> generated;
      Move legal[MAX_MOVES];
      const int count = BuildLegalMoves(node, legal);
      for (int i = 0; i < count; ++i)
        if (MovePromotion(legal[i]) < KNIGHT || MovePromotion(legal[i]) == QUEEN) generated.insert(legal[i]);
      ASSERT_EQ(generated, expected) << board_test::FenOf(node);
    });
  }
}

TEST(MoveGeneration, LegalListSkipsTheTestOnlyForPiecesThatCannotBePinned) {
  // Pins by each slider kind, a line with two blockers (no pin), a pinned
  // piece moving along its pin, an enemy piece shielding the king, and en
  // passant along the king's rank: the list, in order, is the pseudo-legal
  // list filtered by the full test of every move.
  const char* fens[] = {
      "4k3/8/8/8/b7/8/2N5/4K3 w - -",     "4k3/4r3/8/8/4R3/8/4N3/4K3 w - -",
      "4k3/8/8/8/7q/8/5B2/4K3 w - -",     "4k3/4r3/8/4N3/4B3/8/8/4K3 w - -",
      "4k3/8/8/KPp4r/8/8/8/8 w - c6",     "4k3/8/8/4q3/4b3/4N3/8/4K3 w - -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
  };
  for (const char* fen : fens) {
    auto pos = PositionFrom(fen);
    ForEachNode(*pos, 2, [](Position& node) {
      if (node.state.in_check) return;
      std::vector<Move> expected;
      Move pseudo[MAX_MOVES];
      const Move* end = GenQuiet(node, GenCaptures(node, pseudo));
      for (const Move* m = pseudo; m != end; ++m)
        if (MoveIsLegal(node, *m)) expected.push_back(*m);
      Move legal[MAX_MOVES];
      const int count = BuildLegalMoves(node, legal);
      std::vector<Move> generated;
      for (int i = 0; i < count; ++i)
        if (MovePromotion(legal[i]) < KNIGHT || MovePromotion(legal[i]) == QUEEN) generated.push_back(legal[i]);
      ASSERT_EQ(generated, expected) << board_test::FenOf(node);
    });
  }
}

TEST(MoveTests, MoveIsValidAgreesWithTheLegalListForEveryWord) {
  for (const char* fen : SamplePositions()) {
    auto pos = PositionFrom(fen);
    ForEachNode(*pos, 1, [](Position& node) {
      const std::vector<Move> legal = LegalMoves(node);
      const std::set<Move> legal_set(legal.begin(), legal.end());
      for (int word = 0; word < 65536; ++word) {
        const Move move = static_cast<Move>(word);
        ASSERT_EQ(MoveIsValid(node, move), legal_set.count(move) == 1)
            << board_test::FenOf(node) << " word " << word << " (" << ListText({move}) << ")";
      }
    });
  }
}

TEST(MoveTests, MoveIsValidRejectsTypicalGarbage) {
  auto pos = PositionFrom("4r1k1/8/8/8/8/8/4N3/2B1K3 w - -");
  EXPECT_FALSE(MoveIsValid(*pos, MoveWord(12, 18)));  // pinned knight e2-c3
  EXPECT_FALSE(MoveIsValid(*pos, MoveWord(2, 18)));   // bishop c1-c3, no diagonal
  EXPECT_FALSE(MoveIsValid(*pos, MoveWord(60, 59)));  // the enemy rook e8-d8
  EXPECT_TRUE(MoveIsValid(*pos, MoveWord(2, 9)));     // bishop c1-b2
  // Flags that do not belong to the move would corrupt make.
  EXPECT_FALSE(MoveIsValid(*pos, static_cast<Move>(MoveWord(2, 9) | 0x5000)));
  EXPECT_FALSE(MoveIsValid(*pos, static_cast<Move>(MoveWord(2, 9) | EN_PASSANT_FLAG)));
  pos = PositionFrom("4k3/P7/8/8/8/8/4P3/4K3 w - -");
  EXPECT_FALSE(MoveIsValid(*pos, MoveWord(48, 56)));  // promotion without a kind
  EXPECT_FALSE(MoveIsValid(*pos, static_cast<Move>(MoveWord(48, 56) | 0x7000)));
  EXPECT_FALSE(MoveIsValid(*pos, static_cast<Move>(MoveWord(48, 56) | 0x1000)));
  EXPECT_TRUE(MoveIsValid(*pos, static_cast<Move>(MoveWord(48, 56) | 0x2000)));
  EXPECT_FALSE(MoveIsValid(*pos, static_cast<Move>(MoveWord(12, 28) | 0x5000)));
  EXPECT_FALSE(MoveIsValid(*pos, 0));
}

TEST(MoveTests, MoveGivesCheckAgreesWithMaking) {
  const char* extra[] = {
      // Castling with the king's destination between rook and enemy king.
      "8/8/8/8/8/8/8/k3K2R w K - 0 1",
      "8/8/8/8/8/8/8/R3K2k w Q - 0 1",
      "8/8/8/8/8/8/8/kn2K2R w K - 0 1",
      "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
      "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",
      // Promotions along a line to the king, with and without a capture.
      "8/1P6/8/8/8/8/1k6/4K3 w - - 0 1",
      "n7/1P6/2k5/8/8/8/8/4K3 w - - 0 1",
  };
  std::vector<const char*> fens = SamplePositions();
  fens.insert(fens.end(), std::begin(extra), std::end(extra));
  for (const char* fen : fens) {
    auto pos = PositionFrom(fen);
    ForEachNode(*pos, 2, [](Position& node) {
      for (Move move : LegalMoves(node)) {
        const bool predicted = MoveGivesCheck(node, move);
        UndoRecord undo;
        SaveState(node, undo);
        MakeMove(node, undo, move, -1);
        const bool checks = node.state.in_check != 0;
        UnmakeMove(node, undo, move);
        ASSERT_EQ(predicted, checks) << board_test::FenOf(node) << " " << ListText({move});
      }
    });
  }
}

TEST(MoveTests, QuietChecksAreExactlyTheQuietMovesThatCheck) {
  const char* extra[] = {
      "8/8/8/8/8/8/8/k3K2R w K - 0 1",
      "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",
      // Discovered checks by knight, bishop, king, pawn and rook.
      "Q2K3k/8/8/8/3N3B/8/8/B6R w - - 0 1",
      "8/8/8/k2P3R/8/2R5/8/4Q1K1 w - - 0 1",
  };
  std::vector<const char*> fens = SamplePositions();
  fens.insert(fens.end(), std::begin(extra), std::end(extra));
  for (const char* fen : fens) {
    auto pos = PositionFrom(fen);
    ForEachNode(*pos, 2, [](Position& node) {
      if (node.state.in_check) return;
      const std::vector<Move> quiet = Generated(node, GenQuiet);
      std::multiset<Move> checks;
      for (Move move : Generated(node, GenQuietChecks)) checks.insert(move);
      for (Move move : quiet) {
        UndoRecord undo;
        SaveState(node, undo);
        MakeMove(node, undo, move, -1);
        const bool gives_check = node.state.in_check != 0;
        UnmakeMove(node, undo, move);
        const size_t listed = checks.count(move);
        const bool pawn = KindOf(node.board[MoveFrom(move)]) == PAWN;
        ASSERT_LE(listed, pawn ? 2u : 1u) << board_test::FenOf(node) << " repeats " << ListText({move});
        if (!MoveIsLegal(node, move)) {
          // Pseudo-legal moves may be listed either way; the search filters them.
        } else if (gives_check) {
          ASSERT_GE(listed, 1u) << board_test::FenOf(node) << " misses " << ListText({move});
        } else {
          ASSERT_EQ(listed, 0u) << board_test::FenOf(node) << " lists " << ListText({move});
        }
        checks.erase(move);
      }
      ASSERT_TRUE(checks.empty()) << board_test::FenOf(node) << " lists a move GenQuiet lacks";
    });
  }
}

TEST(MoveTests, PassedPawnPushesAndCastlingSafety) {
  auto pos = PositionFrom("4k3/8/8/3p4/8/8/4P1P1/4K3 w - -");
  EXPECT_FALSE(PushIsPassed(*pos, MoveWord(12, 28)));  // e2-e4 meets d5's span
  EXPECT_TRUE(PushIsPassed(*pos, MoveWord(14, 30)));   // g2-g4 is free
  EXPECT_FALSE(PushIsPassed(*pos, MoveWord(4, 5)));    // a king move
  pos = PositionFrom("4k3/8/8/8/8/8/5r2/R3K2R w KQ -");
  EXPECT_FALSE(CastlePathSafe(*pos, 4, BLACK));  // f1 attacked
  EXPECT_TRUE(CastlePathSafe(*pos, 1, BLACK));   // c1, d1
  pos = PositionFrom("4k3/8/8/8/1b6/8/8/R3K2R w KQ -");
  EXPECT_TRUE(CastlePathSafe(*pos, 4, BLACK));       // f1, g1
  EXPECT_FALSE(CastleSquaresSafe(*pos, 4, BLACK));   // e1 itself attacked
}

}  // namespace
