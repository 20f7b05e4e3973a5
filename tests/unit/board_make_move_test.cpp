// Make and unmake: every view restored, incremental keys and material
// equal to their definitions, and the key, castling and clock details.
#include <gtest/gtest.h>

#include "board/random_state.h"
#include "board_test_support.h"

namespace {

using board_test::BoardPartEqual;
using board_test::ExpectSameViews;
using board_test::FenOf;
using board_test::KeyFromScratch;
using board_test::LegalMoves;
using board_test::Line;
using board_test::PawnKeyFromScratch;
using board_test::PositionFrom;
using board_test::SamplePositions;

TEST(Keys, SameKeysInEveryRun) {
  board_test::EnsureBoardTables();
  // The first draws of the generator from 1, upper half first.
  EXPECT_EQ(piece_keys[PieceCode(BLACK, PAWN)][0], 0x41C67EA6967EB0E7ULL);
  EXPECT_EQ(castle_keys[0], 0x15CFC0A6BC8BCAE7ULL);
  EXPECT_EQ(ep_keys[0], 0x1F043E7ED34D2FDFULL);
  const uint64_t first = piece_keys[PieceCode(WHITE, KING)][63];
  InitKeys();
  EXPECT_EQ(piece_keys[PieceCode(WHITE, KING)][63], first);
  // The unused thirteenth key of the run is the side key itself. (Other
  // tests draw from the generator, so this is read right after a run.)
  EXPECT_EQ(random_state, static_cast<uint32_t>(side_key));
  EXPECT_EQ(castle_key_sets[0], 0u);
  EXPECT_EQ(castle_key_sets[15], castle_keys[0] ^ castle_keys[1] ^ castle_keys[2] ^ castle_keys[3]);
  EXPECT_EQ(castle_mask[4], 12);
  EXPECT_EQ(castle_mask[63], 11);
  EXPECT_EQ(castle_mask[27], 15);
}

// Random games from every sample position: after each move every view
// equals a fresh set-up of the same position, and unmaking restores the
// record byte for byte.
TEST(MakeUnmake, RandomGamesKeepEveryViewInStep) {
  board_test::Lcg random{2024};
  for (const char* fen : SamplePositions()) {
    for (int game = 0; game < 6; ++game) {
      auto pos = PositionFrom(fen);
      auto fresh = std::make_unique<Position>();
      std::vector<std::unique_ptr<Position>> before;
      Line line;
      for (int ply = 0; ply < 80; ++ply) {
        const std::vector<Move> moves = LegalMoves(*pos);
        if (moves.empty()) break;
        const Move move = moves[random.Next(static_cast<uint32_t>(moves.size()))];
        before.push_back(std::make_unique<Position>(*pos));
        line.undo.emplace_back();
        line.moves.push_back(move);
        SaveState(*pos, line.undo.back());
        MakeMove(*pos, line.undo.back(), move, -1);
        SetPosition(*fresh, FenOf(*pos).c_str());
        ExpectSameViews(*pos, *fresh);
        ASSERT_EQ(pos->key, KeyFromScratch(*pos));
        ASSERT_EQ(pos->pawn_key, PawnKeyFromScratch(*pos));
        ASSERT_FALSE(::testing::Test::HasFailure()) << FenOf(*pos);
      }
      while (!line.moves.empty()) {
        const uint64_t nodes = pos->nodes;
        UnmakeMove(*pos, line.undo.back(), line.moves.back());
        ASSERT_TRUE(BoardPartEqual(*pos, *before.back())) << FenOf(*pos);
        ASSERT_EQ(pos->nodes, nodes) << "unmake leaves the node count alone";
        line.undo.pop_back();
        line.moves.pop_back();
        before.pop_back();
      }
    }
  }
}

TEST(MakeUnmake, CheckHintIsTakenAsGivenAndNodesCount) {
  auto pos = PositionFrom(START_FEN);
  UndoRecord undo;
  SaveState(*pos, undo);
  MakeMove(*pos, undo, MoveWord(12, 28), 1);
  EXPECT_EQ(pos->state.in_check, 1);
  UnmakeMove(*pos, undo, MoveWord(12, 28));
  EXPECT_EQ(pos->nodes, 1u);
  SaveState(*pos, undo);
  MakeMove(*pos, undo, MoveWord(12, 28), -1);
  EXPECT_EQ(pos->state.in_check, 0);
}

TEST(MakeUnmake, EnPassantSquareAndKey) {
  auto pos = PositionFrom(START_FEN);
  Line line;
  line.Play(*pos, "e2e4");
  EXPECT_EQ(pos->state.ep_square, -1);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  line.Play(*pos, "d7d5");
  line.Play(*pos, "e4e5");
  line.Play(*pos, "f7f5");
  EXPECT_EQ(pos->state.ep_square, 45);  // f6
  auto fresh = PositionFrom("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(pos->key ^ ep_keys[5], fresh->key);
  fresh = PositionFrom("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
  EXPECT_EQ(pos->key, fresh->key);
  // The en-passant capture removes the pawn behind the destination.
  line.Play(*pos, "e5f6");
  EXPECT_EQ(pos->board[37], 0);  // f5
  EXPECT_EQ(pos->state.captured, PieceCode(BLACK, PAWN));
  EXPECT_EQ(pos->state.capture_square, 45);
  EXPECT_EQ(pos->material, 0x29282927u);
}

TEST(MakeUnmake, CastlingRightsAndTheirKeys) {
  auto pos = PositionFrom("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  Line line;
  const uint64_t key = pos->key;
  line.Play(*pos, "h1h2");
  EXPECT_EQ(pos->state.castling, 14);
  EXPECT_EQ(pos->key, key ^ side_key ^ castle_keys[0] ^ piece_keys[PieceCode(WHITE, ROOK)][7] ^
                          piece_keys[PieceCode(WHITE, ROOK)][15]);
  line.Play(*pos, "e8d8");
  EXPECT_EQ(pos->state.castling, 2);
  line.Play(*pos, "a1a8");  // takes the rook on its home square: no Black rights left anyway
  EXPECT_EQ(pos->state.castling, 0);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  // Capturing an unmoved rook clears the victim's right through the destination.
  pos = PositionFrom("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  line.Play(*pos, "a1a8");
  EXPECT_EQ(pos->state.castling, WHITE_KING_SIDE | BLACK_KING_SIDE);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
}

TEST(MakeUnmake, CastlingKeepsTheClockAndNullMovesResetIt) {
  auto pos = PositionFrom("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  Line line;
  line.Play(*pos, "a1b1");
  line.Play(*pos, "e8g8");
  EXPECT_EQ(pos->state.fifty_clock, 2);
  EXPECT_EQ(pos->board[61], PieceCode(BLACK, ROOK));
  EXPECT_EQ(pos->king_square[BLACK], 62);
  EXPECT_EQ(pos->state.castling, WHITE_KING_SIDE);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  // A null move passes the turn and resets the clock; unmake restores it.
  auto saved = std::make_unique<Position>(*pos);
  UndoRecord undo;
  SaveState(*pos, undo);
  MakeNull(*pos);
  EXPECT_EQ(pos->state.fifty_clock, 0);
  EXPECT_EQ(pos->side, BLACK);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  UnmakeNull(*pos, undo);
  EXPECT_TRUE(BoardPartEqual(*pos, *saved));
}

TEST(MakeUnmake, NullMoveDropsTheEnPassantKey) {
  auto pos = PositionFrom("4k3/8/8/8/3p4/8/4P3/4K3 w - -");
  Line line;
  line.Play(*pos, "e2e4");
  ASSERT_EQ(pos->state.ep_square, 20);
  UndoRecord undo;
  SaveState(*pos, undo);
  MakeNull(*pos);
  EXPECT_EQ(pos->state.ep_square, -1);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
  UnmakeNull(*pos, undo);
  EXPECT_EQ(pos->state.ep_square, 20);
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
}

TEST(MakeUnmake, PromotionWithCapture) {
  auto pos = PositionFrom("r3k3/1P6/8/8/8/8/8/4K3 w - -");
  const uint32_t material = pos->material;
  Line line;
  line.Play(*pos, "b7a8q");
  EXPECT_EQ(pos->material,
            material + MaterialUnit(WHITE, QUEEN) - MaterialUnit(WHITE, PAWN) - MaterialUnit(BLACK, ROOK));
  EXPECT_EQ(pos->piece_count[WHITE], 1);
  EXPECT_EQ(pos->piece_count[BLACK], 0);
  EXPECT_EQ(pos->board[56], PieceCode(WHITE, QUEEN));
  EXPECT_EQ(pos->pawn_key, 0u);
  EXPECT_TRUE(pos->state.in_check);
  line.Play(*pos, "e8d7");
  line.Play(*pos, "a8b8");
  EXPECT_EQ(pos->key, KeyFromScratch(*pos));
}

// What the key hook saw, for the hook test.
struct SeenKeys {
  int calls = 0;
  uint64_t key = 0;
  uint64_t pawn_key = 0;
};
SeenKeys seen_keys;

void RecordKeys(const Position& pos) {
  ++seen_keys.calls;
  seen_keys.key = pos.key;
  seen_keys.pawn_key = pos.pawn_key;
}

// The hook is what prefetches table entries: it must see the final keys
// (after a capture and a promotion changed them) once per make or null move.
TEST(MakeUnmake, KeyHookSeesTheFinalKeysOfEveryNewPosition) {
  const KeyKnownHook installed = key_known_hook;
  key_known_hook = RecordKeys;
  seen_keys = SeenKeys{};
  auto pos = PositionFrom("r3k3/1P6/8/8/8/8/8/4K3 w - -");
  Line line;
  line.Play(*pos, "b7a8q");
  EXPECT_EQ(seen_keys.calls, 1);
  EXPECT_EQ(seen_keys.key, KeyFromScratch(*pos));
  EXPECT_EQ(seen_keys.pawn_key, PawnKeyFromScratch(*pos));
  UndoRecord undo;
  SaveState(*pos, undo);
  MakeNull(*pos);
  EXPECT_EQ(seen_keys.calls, 2);
  EXPECT_EQ(seen_keys.key, KeyFromScratch(*pos));
  UnmakeNull(*pos, undo);
  EXPECT_EQ(seen_keys.calls, 2);  // taking back needs no new entries
  key_known_hook = installed;
}

// The early key the search prefetches by must be the key the move makes:
// castling, en passant, promotions and lost rights included.
TEST(MakeUnmake, KeyAfterMoveForeseesTheKeyOfEveryMove) {
  board_test::Lcg random{77};
  for (const char* fen : SamplePositions()) {
    auto pos = PositionFrom(fen);
    UndoRecord played;  // the walk is never taken back
    for (int ply = 0; ply < 40; ++ply) {
      const std::vector<Move> moves = LegalMoves(*pos);
      if (moves.empty()) break;
      for (const Move move : moves) {
        const uint64_t foreseen = KeyAfterMove(*pos, move);
        UndoRecord undo;
        SaveState(*pos, undo);
        MakeMove(*pos, undo, move, -1);
        EXPECT_EQ(foreseen, pos->key) << fen << " ply " << ply << " move " << move;
        UnmakeMove(*pos, undo, move);
      }
      const Move move = moves[random.Next(static_cast<uint32_t>(moves.size()))];
      SaveState(*pos, played);
      MakeMove(*pos, played, move, -1);
    }
  }
}

TEST(MakeUnmake, LongGamesStayInsideTheKeyHistory) {
  // Knight shuffles far beyond the 1024 history slots, then back again:
  // nothing is written outside the record and recent plies unmake exactly.
  auto pos = PositionFrom(START_FEN);
  const char* shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::vector<UndoRecord> undo(1100);
  std::vector<Move> moves(1100);
  std::vector<uint64_t> keys(1100);
  for (int ply = 0; ply < 1100; ++ply) {
    keys[ply] = pos->key;
    moves[ply] = board_test::MoveFromText(*pos, shuffle[ply % 4]);
    SaveState(*pos, undo[ply]);
    MakeMove(*pos, undo[ply], moves[ply], -1);
  }
  EXPECT_EQ(pos->game_ply, 1100);
  for (int ply = 1099; ply >= 1100 - 300; --ply) {
    UnmakeMove(*pos, undo[ply], moves[ply]);
    ASSERT_EQ(pos->key, keys[ply]);
  }
}

}  // namespace
