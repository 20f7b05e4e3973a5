// The Passive evaluation: colour symmetry, the phase and tempo, the draw
// scales of the material table, the endgame recognizers, the bare-king
// mate, the caches and the trace.
#include <algorithm>
#include <cstring>

#include "board/make_move.h"
#include "board/psq_pairs.h"
#include "eval/eval_cache.h"
#include "eval/passive/material_table.h"
#include "eval/passive/passive_tables.h"
#include "eval/passive/passive_terms.h"
#include "eval/passive/pawn_structure.h"
#include "eval/passive/recognizers.h"
#include "eval/recognized_draw.h"
#include "eval_test_support.h"

namespace {

using eval_test::MirrorFen;
using eval_test::Prepared;
using eval_test::WhiteView;

constexpr const char* VARIED[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2NBPN2/PP3PPP/R2Q1RK1 w - -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "2kr3r/ppp1qppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1NBPBP/R2Q1RK1 b - -",
    "3r1rk1/pp3pp1/2p1bq1p/4n3/2P1P3/2N2P2/PP1QB1PP/3R1RK1 b - -",
    "r2qr1k1/1p1bbppp/p1np1n2/4p3/4P3/1NN1BP2/PPPQ2PP/2KR1B1R w - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/5pk1/6p1/8/3R4/6PK/5P2/1r6 b - -",
    "8/8/4kpp1/3p4/p6P/2B4b/6P1/6K1 w - -",
    "8/8/2b1k3/3p4/3P4/2B1K3/8/8 w - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/3k4/8/2n5/8/5B2/4K3/8 w - -",
    "4k3/8/8/8/8/8/8/2B1KN2 w - -",
    "8/8/8/8/3k4/8/8/R3K3 w - -",
    "B5k1/8/1p6/8/8/8/8/6K1 w - -",
    "1k6/1p4Q1/8/8/8/8/5PPP/q5K1 b - -",
};

// A position set up from text without clearing the caches (a cache hit
// equals a miss, so many quick set-ups need no new game each).
std::unique_ptr<Position> Quick(const std::string& fen) {
  eval_test::EnsureTables();
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen.c_str());
  return pos;
}

// The sixteenths each side's scores keep, from the material table.
std::pair<int, int> ScaleIndices(uint32_t signature) {
  const passive::MaterialEntry e = passive::ComputeMaterialEntry(signature);
  return {passive::ScaleIndex(e, WHITE), passive::ScaleIndex(e, BLACK)};
}

TEST(PassiveEval, StartPositionIsPureMiddleGamePlusTempo) {
  EXPECT_EQ(passive::ComputeMaterialEntry(0x29282928).phase, 0);
  EXPECT_EQ(Evaluate(*Prepared(VARIED[0])), 20);
  EXPECT_EQ(Evaluate(*Prepared("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -")), 20);
  // Kings and pawns only: the phase count is 24 and the phase 255.
  auto pawns_only = Prepared("4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -");
  EXPECT_EQ(pawns_only->state.phase_count, 24);
  EXPECT_EQ(passive::ComputeMaterialEntry(pawns_only->material).phase, 255);
}

// Every term is the same for both colours; only the arithmetic shifts of
// the blend and the scaling round negative values down, so a position and
// its mirror may differ by one.
TEST(PassiveEval, MirroredPositionsScoreTheSameForTheSideToMove) {
  for (const char* fen : VARIED) {
    const int score = Evaluate(*Prepared(fen));
    const int mirrored = Evaluate(*Prepared(MirrorFen(fen)));
    EXPECT_LE(std::abs(score - mirrored), 1) << fen;
  }
  board_test::RandomGamesThereAndBack(7, 60, [](const Position& pos) {
    const std::string fen = board_test::FenOf(pos);
    const int score = Evaluate(*Quick(fen));
    const int mirrored = Evaluate(*Quick(MirrorFen(fen)));
    ASSERT_LE(std::abs(score - mirrored), 1) << fen;
  });
}

TEST(PassiveEval, ScaleIndicesOfTheMaterialTable) {
  using S = std::pair<int, int>;  // White's, Black's
  EXPECT_EQ(ScaleIndices(0x00080008), S(5, 5));  // pawns each
  EXPECT_EQ(ScaleIndices(0x20002000), S(0, 0));  // queen against queen
  EXPECT_EQ(ScaleIndices(0x04000400), S(0, 0));  // rook against rook
  EXPECT_EQ(ScaleIndices(0x00100002), S(0, 5));  // knight against two pawns
  EXPECT_EQ(ScaleIndices(0x00200000), S(0, 2));  // two knights against a bare king
  EXPECT_EQ(ScaleIndices(0x00200001), S(1, 4));  // two knights against a pawn
  EXPECT_EQ(ScaleIndices(0x01000010), S(4, 0));  // two bishops against a knight
  EXPECT_EQ(ScaleIndices(0x04000080), S(2, 0));  // rook against bishop
  EXPECT_EQ(ScaleIndices(0x00810010), S(3, 0));  // bishop and pawn against knight
  EXPECT_EQ(ScaleIndices(0x04010400), S(5, 2));  // rook and pawn against rook
  EXPECT_EQ(ScaleIndices(0x20000401), S(5, 5));  // queen against rook and pawn
}

TEST(PassiveEval, LoneQueensAndLoneRooksAreDrawn) {
  EXPECT_EQ(Evaluate(*Prepared("3qk3/8/8/8/8/8/8/3QK3 w - -")), 0);
  EXPECT_EQ(Evaluate(*Prepared("r3k3/8/8/8/8/8/8/4K2R b - -")), 0);
}

// Neither side can win: the trace rows still add up to the result, 0.
TEST(PassiveEval, TheTraceOfADrawnQueenEndingAddsUpToNothing) {
  for (const char* fen : {"7q/4k3/8/8/8/8/8/Q3K3 w - -", "r3k3/8/8/8/8/8/8/3RK3 b - -"}) {
    EvalTrace trace;
    ASSERT_EQ(EvaluateWithTrace(*Prepared(fen), trace), 0);
    ASSERT_NE(trace.exit_note, nullptr);
    int total = 0;
    for (int i = 0; i < trace.count; ++i) total += trace.rows[i].white_view;
    EXPECT_EQ(total, 0) << fen;
  }
}

// A torn material-cache read in the parallel search can pass its check
// with another signature's flags. "One bishop each" without Black's bishop
// must then change nothing (and never ask for the square of no bishop).
TEST(PassiveEval, ABishopsFlagWithoutTheBishopsChangesNothing) {
  auto pos = Prepared("4k3/ppp5/8/8/8/8/PPP5/1B2K3 w - -");  // a light-squared bishop, none for Black
  ClearEvalCaches();
  EvalTrace trace;
  const int honest = EvaluateWithTrace(*pos, trace);
  passive::MaterialEntry torn = passive::ComputeMaterialEntry(pos->material);
  torn.flags[BLACK] |= passive::BISHOPS_AND_PAWNS;
  uint32_t words[4];
  torn.check = 0;
  std::memcpy(words, &torn, sizeof torn);
  torn.check = words[1] ^ words[2] ^ words[3] ^ pos->material;  // passes the check
  passive::StoreMaterialEntry(pos->material, torn);
  const passive::MaterialEntry read = passive::FetchMaterialEntry(pos->material);
  ASSERT_EQ(std::memcmp(&read, &torn, sizeof torn), 0);
  EXPECT_EQ(EvaluateWithTrace(*pos, trace), honest);
  ClearEvalCaches();
}

TEST(PassiveEval, BareKingIsDrivenToTheEdgeAndTheBishopsCorner) {
  const int centre = WhiteView(*Prepared("8/8/8/3k4/8/8/8/R3K3 w - -"));
  const int edge = WhiteView(*Prepared("3k4/8/8/8/8/8/8/R3K3 w - -"));
  EXPECT_GT(centre, 400);
  EXPECT_GT(edge, centre);
  // Dark-squared bishop: a1 and h8 are the mating corners, not a8.
  const int right = WhiteView(*Prepared("7k/8/5K2/8/8/8/8/2B1N3 w - -"));
  const int wrong = WhiteView(*Prepared("k7/8/2K5/8/8/8/8/2B1N3 w - -"));
  EXPECT_GT(right, wrong);
  // Light-squared bishop: the corners turn.
  EXPECT_GT(WhiteView(*Prepared("k7/8/2K5/8/8/8/8/3BN3 w - -")),
            WhiteView(*Prepared("7k/8/5K2/8/8/8/8/3BN3 w - -")));
  // Bishops of one colour cannot mate; the normal evaluation follows.
  EvalTrace trace;
  EvaluateWithTrace(*Prepared("7k/8/5K2/8/8/8/8/2B1B3 w - -"), trace);
  EXPECT_EQ(trace.exit_note, nullptr);
  EvaluateWithTrace(*Prepared("7k/8/5K2/8/8/8/8/2BB4 w - -"), trace);
  EXPECT_NE(trace.exit_note, nullptr);
}

TEST(PassiveEval, RookPawnWithTheWrongBishopScoresNothing) {
  EXPECT_EQ(Evaluate(*Prepared("k7/8/8/8/P7/8/8/2B1K3 w - -")), 0);
  EXPECT_GT(Evaluate(*Prepared("k7/8/8/8/P7/8/8/3BK3 w - -")), 100);
}

TEST(PassiveEval, OnePawnRulesLowerTheScale) {
  auto scales = [](const char* fen) {
    auto pos = Prepared(fen);
    const passive::MaterialEntry e = passive::FetchMaterialEntry(pos->material);
    int scale[2] = {16, 16};
    passive::ApplyPawnRules(*pos, e, scale);
    return scale[WHITE];
  };
  // Bishop and pawn against a knight, the king in front of the pawn on a
  // square the bishop does not cover; a king beside the pawn is no block.
  EXPECT_EQ(scales("8/8/3k4/2n5/3P4/8/4B3/4K3 w - -"), 1);
  EXPECT_EQ(scales("8/8/8/2n1k3/3P4/8/4B3/4K3 w - -"), 16);
  // Knight and pawn against a bishop, the king in front.
  EXPECT_EQ(scales("8/3k4/8/2b5/3P4/8/4N3/4K3 w - -"), 1);
  EXPECT_EQ(scales("8/8/8/2b5/3P4/8/4N3/4K2k w - -"), 16);
}

TEST(PassiveEval, RecognizedDrawsOfVeryLittleMaterial) {
  EXPECT_TRUE(RecognizedDraw(*Prepared("8/8/8/4k3/4P3/8/2K5/8 w - -")));  // king in front
  EXPECT_TRUE(RecognizedDraw(*Prepared("8/2k5/8/4p3/4K3/8/8/8 b - -")));  // the same for Black
  EXPECT_FALSE(RecognizedDraw(*Prepared("3k4/8/3K4/3P4/8/8/8/8 w - -")));  // the king wins
  EXPECT_TRUE(RecognizedDraw(*Prepared("k7/8/8/PK6/8/8/8/8 w - -")));
  EXPECT_TRUE(RecognizedDraw(*Prepared("k7/8/8/PK6/8/8/1B6/8 w - -")));   // wrong bishop
  EXPECT_FALSE(RecognizedDraw(*Prepared("k7/8/8/PK6/8/8/2B5/8 w - -")));  // right bishop
  EXPECT_TRUE(RecognizedDraw(*Prepared("4k3/8/8/8/8/8/8/2B1K1n1 w - -")));  // a minor each
  EXPECT_FALSE(RecognizedDraw(*Prepared("4k3/8/8/8/8/8/8/R3K3 w - -")));
}

// A rook pawn's king on the far wing, on the pawn's own rank, is not the
// king before the pawn: the squares a file off must not wrap round the
// edge. Both wings, both colours; the pawn simply runs.
TEST(PassiveEval, RecognizedDrawKingsDoNotWrapRoundTheEdge) {
  for (const char* fen : {"8/8/8/7k/8/P6K/8/8 w - -", "8/8/8/k7/8/K6P/8/8 w - -"}) {
    EXPECT_FALSE(RecognizedDraw(*Prepared(fen))) << fen;
    EXPECT_FALSE(RecognizedDraw(*Prepared(MirrorFen(fen)))) << MirrorFen(fen);
  }
}

TEST(PassiveEval, RecognizerTableEndings) {
  auto draw = [](const char* fen) { return passive::RecognizerTableDraw(*Prepared(fen)); };
  // Queen against a pawn on the seventh: the queen's king far or near.
  EXPECT_TRUE(draw("7K/8/8/8/8/8/1kp5/7Q w - -"));
  EXPECT_FALSE(draw("8/8/8/8/8/3K4/1kp5/7Q w - -"));
  // Rook against a pawn escorted by its king.
  EXPECT_TRUE(draw("8/8/8/2P5/2K5/8/8/6rk w - -"));
  EXPECT_FALSE(draw("8/8/3k4/2P5/2K5/8/8/6r1 w - -"));
  // A bishop or knight guarding the pawn's path.
  EXPECT_TRUE(draw("7K/8/8/4p3/8/k1B5/8/8 w - -"));
  EXPECT_FALSE(draw("7K/8/8/4p3/8/k7/8/B7 w - -"));
  EXPECT_TRUE(draw("7K/8/8/4p3/8/k2N4/8/8 w - -"));
  EXPECT_FALSE(draw("N6K/8/8/4p3/8/k7/8/8 w - -"));
  // Knight and rook pawn on the seventh with the king in the corner.
  EXPECT_TRUE(draw("k7/P7/8/8/8/8/8/1N2K3 w - -"));
  EXPECT_FALSE(draw("k7/8/P7/8/8/8/8/1N2K3 w - -"));
  // Rook and pawn against rook: the defending king on the queening square.
  EXPECT_TRUE(draw("3k4/8/7r/3P4/8/8/8/R3K3 w - -"));
  EXPECT_FALSE(draw("3k4/8/r7/3P4/8/8/8/R3K3 w - -"));
  // Bishops of opposite colours, the defender's guarding the path.
  EXPECT_TRUE(draw("8/8/8/8/3P3k/7b/8/2B1K3 w - -"));
  EXPECT_FALSE(draw("8/8/8/8/3P3k/6b1/8/2B1K3 w - -"));
}

TEST(PassiveEval, TurnedSquareListPlaysUpTheBoardOnTheQueenSide) {
  // Black pawn on g2: turned top to bottom and left to right it is on b7.
  auto pos = Prepared("7K/8/8/8/8/8/6pk/Q7 w - -");
  const passive::TurnedList list = passive::TurnedSquares(*pos, BLACK);
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.squares[0], 15 ^ 56 ^ 7);  // Black king h2
  EXPECT_EQ(list.squares[1], 14 ^ 56 ^ 7);  // pawn g2 -> b7
  EXPECT_EQ(list.squares[2], 63 ^ 56 ^ 7);  // White king h8
  EXPECT_EQ(list.squares[3], 0 ^ 56 ^ 7);   // queen a1
  EXPECT_EQ(list.squares[4], -1);
}

TEST(PassiveEval, TrappedBishopsAndBlockedRooks) {
  using passive::TrappedPieces;
  const passive::Pair shut = TrappedPieces(*Prepared("6k1/B7/1p6/8/8/8/8/6K1 w - -"));
  EXPECT_EQ(shut.mid, -100);
  EXPECT_EQ(shut.end, -100);
  const passive::Pair black = TrappedPieces(*Prepared("6k1/8/8/8/8/1P6/b7/6K1 w - -"));
  EXPECT_EQ(black.mid, 100);
  const passive::Pair rook = TrappedPieces(*Prepared("6k1/8/8/8/8/8/8/5K1R w - -"));
  EXPECT_EQ(rook.mid, -50);
  EXPECT_EQ(rook.end, 0);
}

TEST(PassiveEval, CacheHitsEqualMissesAndTheTraceAddsUp) {
  int positions = 0;
  board_test::RandomGamesThereAndBack(11, 40, [&positions](const Position& pos) {
    ++positions;
    const passive::MaterialEntry computed = passive::ComputeMaterialEntry(pos.material);
    const passive::MaterialEntry fetched = passive::FetchMaterialEntry(pos.material);
    const passive::MaterialEntry again = passive::FetchMaterialEntry(pos.material);
    ASSERT_EQ(std::memcmp(&computed, &fetched, sizeof computed), 0);
    ASSERT_EQ(std::memcmp(&computed, &again, sizeof computed), 0);
    const passive::PawnStructure fresh = passive::EvaluatePawns(pos);
    const passive::PawnStructure cached = passive::ProbePawns(pos);
    const passive::PawnStructure hit = passive::ProbePawns(pos);
    for (const passive::PawnStructure& p : {cached, hit}) {
      ASSERT_EQ(p.score.mid, fresh.score.mid);
      ASSERT_EQ(p.score.end, fresh.score.end);
      ASSERT_EQ(p.passed_files[WHITE], fresh.passed_files[WHITE]);
      ASSERT_EQ(p.passed_files[BLACK], fresh.passed_files[BLACK]);
    }
    const int miss = Evaluate(pos);
    ASSERT_EQ(Evaluate(pos), miss);
    EvalTrace trace;
    ASSERT_EQ(EvaluateWithTrace(pos, trace), miss);
    int total = 0;
    for (int i = 0; i < trace.count; ++i) total += trace.rows[i].white_view;
    ASSERT_EQ(pos.side == WHITE ? total : -total, miss) << board_test::FenOf(pos);
  });
  EXPECT_GT(positions, 1000);
}

TEST(PassiveEval, EmptyCachesNeverHit) {
  ClearEvalCaches();
  int score;
  EXPECT_FALSE(ProbeEvalCache(0, 0, &score));
  // The bare-kings signature is 0, like a zeroed material entry.
  const passive::MaterialEntry e = passive::FetchMaterialEntry(0);
  EXPECT_TRUE(e.flags[BLACK] & passive::MINOR_DRAW);
  EXPECT_EQ(passive::ScaleIndex(e, WHITE), 2);
}

// The incremental sums follow the real tables through random games.
TEST(PassiveEval, IncrementalSumsMatchTheTablesFromScratch) {
  eval_test::EnsureTables();
  int positions = 0;
  board_test::RandomGamesThereAndBack(23, 120, [&positions](const Position& pos) {
    ++positions;
    int mid = 0, end = 0;
    for (int sq = 0; sq < 64; ++sq) {
      if (!pos.board[sq]) continue;
      const ScorePair pair = passive::PieceSquarePair(pos.board[sq], sq);
      mid += pair.mid;
      end += pair.end;
    }
    ASSERT_EQ(pos.pst_mid, mid) << board_test::FenOf(pos);
    ASSERT_EQ(pos.pst_end, end) << board_test::FenOf(pos);
  });
  EXPECT_GT(positions, 3000);
}

}  // namespace
