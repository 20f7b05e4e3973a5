// The evaluation framework in the Active build: fade, cache, material and
// imbalance, winnability, stalemate, pawnless endings, scaling, symmetry.
#include <cstdlib>
#include <thread>
#include <vector>

#include "board/legal_moves.h"
#include "board/make_move.h"
#include "eval/active/pawn_info.h"
#include "eval/eval_cache.h"
#include "eval/pawnless.h"
#include "eval/scaling.h"
#include "eval/winnability.h"
#include "eval_test_support.h"

namespace {

using eval_test::Prepared;
using eval_test::WhiteView;

// A signature from counts {pawns, knights, bishops, rooks, queens} per side.
uint32_t Signature(const int (&white)[5], const int (&black)[5]) {
  uint32_t material = 0;
  for (int kind = PAWN; kind <= QUEEN; ++kind) {
    material += white[kind - 1] * MaterialUnit(WHITE, kind);
    material += black[kind - 1] * MaterialUnit(BLACK, kind);
  }
  return material;
}

constexpr const char* MIDDLE_GAME = "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - -";

TEST(EvalFadeActive, FullUpTo49HalfAt75ZeroFrom100) {
  EXPECT_EQ(FadeByFiftyClock(300, 0), 300);
  EXPECT_EQ(FadeByFiftyClock(300, 49), 300);
  EXPECT_EQ(FadeByFiftyClock(300, 50), 300);
  EXPECT_EQ(FadeByFiftyClock(300, 75), 150);
  EXPECT_EQ(FadeByFiftyClock(-301, 75), -150) << "truncated toward zero";
  EXPECT_EQ(FadeByFiftyClock(300, 100), 0);
  EXPECT_EQ(FadeByFiftyClock(300, 140), 0);
}

TEST(EvalFadeActive, EvaluateFadesCachedAndFreshScoresAlike) {
  auto pos = Prepared("4k3/pp6/8/8/8/8/PPP5/4K3 w - -");
  const int full = Evaluate(*pos);
  ASSERT_NE(full, 0);
  pos->state.fifty_clock = 49;
  EXPECT_EQ(Evaluate(*pos), full);
  pos->state.fifty_clock = 75;
  EXPECT_EQ(Evaluate(*pos), 25 * full / 50);
  pos->state.fifty_clock = 100;
  EXPECT_EQ(Evaluate(*pos), 0);
  ClearEvalCaches();
  pos->state.fifty_clock = 75;
  EXPECT_EQ(Evaluate(*pos), 25 * full / 50) << "a miss fades the same way";
}

TEST(EvalCacheActive, HitReturnsWhatTheMissComputed) {
  for (const char* fen : {MIDDLE_GAME, "8/5pk1/6p1/7p/7P/6P1/5PK1/8 b - -", "8/8/4k3/8/4P3/4K3/8/8 w - -"}) {
    auto pos = Prepared(fen);
    int stored = 0;
    EXPECT_FALSE(ProbeEvalCache(pos->key, pos->material, &stored));
    const int miss = Evaluate(*pos);
    ASSERT_TRUE(ProbeEvalCache(pos->key, pos->material, &stored)) << fen;
    EXPECT_EQ(stored, miss);
    EXPECT_EQ(Evaluate(*pos), miss);
    EvalTrace trace;
    EXPECT_EQ(EvaluateWithTrace(*pos, trace), miss) << "the traced path skips the probe";
  }
}

TEST(EvalCacheActive, ChecksEveryKeyPartAndTheMaterial) {
  ClearEvalCache();
  const uint64_t key = 0x123456789ABCDEF0ULL;
  StoreEvalCache(key, 0x29282928, -417);
  int score = 0;
  ASSERT_TRUE(ProbeEvalCache(key, 0x29282928, &score));
  EXPECT_EQ(score, -417);
  EXPECT_FALSE(ProbeEvalCache(key ^ (1ULL << 40), 0x29282928, &score)) << "upper half differs";
  EXPECT_FALSE(ProbeEvalCache(key ^ (1ULL << 20), 0x29282928, &score)) << "middle bits differ";
  EXPECT_FALSE(ProbeEvalCache(key, 0x29282927, &score)) << "material differs";
  StoreEvalCache(key ^ (1ULL << 33), 0x29282928, 5);  // same slot, other position
  EXPECT_FALSE(ProbeEvalCache(key, 0x29282928, &score));
}

TEST(EvalCacheActive, EmptyCacheNeverHits) {
  ClearEvalCache();
  int score = 0;
  // Keys whose check words an empty entry would match but for the score mark.
  EXPECT_FALSE(ProbeEvalCache(0x8000000000000000ULL, 0, &score));
  EXPECT_FALSE(ProbeEvalCache(0, 0, &score));
  EXPECT_FALSE(ProbeEvalCache(0x80000000ULL << 32 | 0x12345, 0, &score));
}

TEST(EvalCacheActive, ThreadsSharingTheCachesAgreeWithOneThread) {
  const char* fens[] = {MIDDLE_GAME, "8/5pk1/6p1/7p/7P/6P1/5PK1/8 b - -",
                        "r4rk1/1b3ppp/p7/1p1Pp3/4P3/P3BN2/1P3PPP/R4RK1 w - -",
                        "2r3k1/1P3pp1/7p/8/8/7P/5PP1/2R3K1 b - -"};
  std::vector<std::unique_ptr<Position>> positions;
  std::vector<int> expected;
  for (const char* fen : fens) {
    positions.push_back(Prepared(fen, WHITE));
    expected.push_back(Evaluate(*positions.back()));
  }
  ClearEvalCaches();
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 2000; ++round) {
        const size_t i = (round + t) % positions.size();
        if (Evaluate(*positions[i]) != expected[i]) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(mismatches[t], 0);
}

TEST(EvalMaterialActive, CountsBalanceAndSums) {
  const MaterialInfo start = BuildMaterialInfo(0x29282928);
  EXPECT_EQ(start.balance, 0);
  EXPECT_EQ(start.minors[WHITE], 4);
  EXPECT_EQ(start.majors[BLACK], 4);
  EXPECT_EQ(start.piece_material[WHITE], 31);
  EXPECT_FALSE(start.endgame);
  const MaterialInfo rook_up = BuildMaterialInfo(Signature({2, 0, 1, 1, 0}, {3, 0, 1, 0, 0}));
  EXPECT_EQ(rook_up.balance, 400);
  EXPECT_TRUE(rook_up.endgame);
}

TEST(EvalMaterialActive, FourQueensAreNotReadAsNone) {
  const MaterialInfo mi = BuildMaterialInfo(Signature({0, 0, 0, 0, 4}, {0, 0, 0, 0, 0}));
  EXPECT_EQ(mi.queens[WHITE], 4);
  EXPECT_EQ(mi.balance, 3600);
  EXPECT_EQ(mi.piece_material[WHITE], 36);
}

TEST(EvalImbalanceActive, TradesOfMinorsAgainstMajors) {
  auto imbalance = [](const int (&w)[5], const int (&b)[5]) { return Imbalance(BuildMaterialInfo(Signature(w, b))); };
  EXPECT_EQ(imbalance({0, 1, 0, 0, 0}, {0, 0, 0, 0, 0}), 0) << "both below 4 units";
  EXPECT_EQ(imbalance({0, 0, 0, 0, 1}, {0, 0, 0, 2, 0}), 60) << "queen against two rooks";
  EXPECT_EQ(imbalance({0, 0, 0, 2, 0}, {0, 0, 0, 0, 1}), -60);
  EXPECT_EQ(imbalance({0, 1, 1, 0, 0}, {0, 0, 0, 1, 0}), 120) << "two minors against a rook";
  EXPECT_EQ(imbalance({0, 1, 1, 1, 0}, {0, 0, 1, 2, 0}), -30) << "Black has a rook for a minor";
  EXPECT_EQ(imbalance({0, 0, 1, 2, 0}, {0, 1, 1, 1, 0}), 30);
  EXPECT_EQ(imbalance({0, 2, 1, 0, 0}, {0, 0, 0, 0, 1}), 120) << "three minors against a queen";
  EXPECT_EQ(imbalance({0, 1, 1, 0, 0}, {0, 0, 0, 0, 1}), 0) << "two minors against a queen";
  EXPECT_EQ(imbalance({0, 0, 0, 1, 1}, {0, 2, 1, 0, 0}), 0) << "majors three apart";
  EXPECT_EQ(imbalance({0, 1, 0, 1, 0}, {0, 1, 0, 0, 1}), -120) << "equal minors, Black's queen";
}

TEST(EvalWinnabilityActive, KnightAgainstBareKingIsQuarteredNotZeroed) {
  auto pos = Prepared("8/8/4k3/8/8/8/8/2N1K3 w - -");
  EXPECT_EQ(WinnabilityFlags(*pos, BuildMaterialInfo(pos->material)), 0);
  // 300 + (3 - 5) x 15 + EDGE[e6] 50 = 320, quartered.
  EXPECT_EQ(Evaluate(*pos), 80);
}

TEST(EvalWinnabilityActive, PawnOnBoardWithNobodyWinningIsZero) {
  auto pos = Prepared("8/8/4k3/4p3/8/8/8/2N1K3 w - -");
  EXPECT_EQ(WinnabilityFlags(*pos, BuildMaterialInfo(pos->material)), 0);
  EXPECT_EQ(Evaluate(*pos), 0);
}

TEST(EvalWinnabilityActive, RookPawnNeedsTheRightBishopOrAFarKing) {
  auto flags = [](const char* fen) {
    auto pos = Prepared(fen);
    return WinnabilityFlags(*pos, BuildMaterialInfo(pos->material));
  };
  EXPECT_EQ(flags("1k6/8/8/8/8/8/P7/1B2K3 w - -"), WHITE_CAN_WIN) << "light bishop controls a8";
  EXPECT_EQ(flags("1k6/8/8/8/8/8/P7/2B1K3 w - -"), 0) << "wrong bishop, king in the corner";
  EXPECT_EQ(flags("7k/8/8/8/8/8/P7/2B1K3 w - -"), WHITE_CAN_WIN) << "wrong bishop, king far away";
  EXPECT_EQ(flags("1k6/8/8/8/8/8/P6P/2B1K3 w - -"), WHITE_CAN_WIN) << "pawns on both rook files";
  EXPECT_EQ(flags("8/p7/8/8/8/8/8/1K1b1k2 w - -"), 0) << "mirror: dark a1 corner needs a dark bishop";
  EXPECT_EQ(flags("8/p7/8/8/8/8/8/1K2bk2 w - -"), BLACK_CAN_WIN);
}

TEST(EvalWinnabilityActive, MinorEndings) {
  auto flags = [](const char* fen) {
    auto pos = Prepared(fen);
    return WinnabilityFlags(*pos, BuildMaterialInfo(pos->material));
  };
  // A lone extra minor without pawns (the two-minors rule agrees).
  EXPECT_EQ(flags("4k3/8/3n4/8/8/8/8/2BNK3 w - -"), BLACK_CAN_WIN);
  EXPECT_EQ(flags("4k3/8/3n4/8/8/8/8/2BBK3 w - -"), BLACK_CAN_WIN);
  EXPECT_EQ(flags("4k3/p7/3n4/8/8/8/8/2BNK3 w - -"), BLACK_CAN_WIN);
  EXPECT_EQ(flags("4k3/8/3n4/8/8/8/P7/2BNK3 w - -"), BOTH_CAN_WIN) << "a pawn keeps the chances";
  EXPECT_EQ(flags("4k3/8/3b4/8/8/8/8/2BBK3 w - -") & WHITE_CAN_WIN, 0) << "bishops v bishop";
  EXPECT_EQ(flags("4k3/8/8/8/8/8/8/2NNK3 w - -"), 0) << "two knights cannot mate";
  EXPECT_EQ(flags("4k3/7p/8/8/8/8/8/2NNK3 w - -") & WHITE_CAN_WIN, WHITE_CAN_WIN) << "a pawn to play against";
}

TEST(EvalStalemateActive, BareKingInOppositionWithCoveredFlights) {
  auto stalemate = [](const char* fen) { return BareKingStalemate(*Prepared(fen)); };
  EXPECT_TRUE(stalemate("7k/8/7K/8/8/8/P7/6R1 b - -"));
  EXPECT_FALSE(stalemate("7k/8/7K/8/8/8/P7/5R2 b - -")) << "g8 is free";
  EXPECT_FALSE(stalemate("7k/8/7K/8/8/8/P7/6R1 w - -")) << "the bare side is not to move";
  EXPECT_FALSE(stalemate("R6k/8/7K/8/8/8/P7/8 b - -")) << "in check is not stalemate";
  EXPECT_TRUE(stalemate("8/8/8/8/8/8/1R6/k1K5 b - -")) << "corner, opposition along the rank";
  EXPECT_FALSE(stalemate("8/8/8/8/8/8/1R6/k2K4 b - -")) << "king not in opposition";
  EXPECT_TRUE(stalemate("8/8/8/8/8/4K3/8/R3k3 b - -") == false) << "e1 king in check from a1";
  EXPECT_EQ(WhiteView(*Prepared("7k/8/7K/8/8/8/P7/6R1 b - -")), 0);
  EXPECT_GT(WhiteView(*Prepared("7k/8/7K/8/8/8/P7/5R2 b - -")), 500);
}

TEST(EvalPawnlessActive, BishopAndKnightDriveToTheBishopsCorner) {
  auto term = [](const char* fen) {
    auto pos = Prepared(fen);
    return PawnlessTerm(*pos, BuildMaterialInfo(pos->material));
  };
  EXPECT_EQ(term("k7/8/8/8/8/8/8/1B2KN2 w - -"), 100) << "light bishop, king on a8";
  EXPECT_EQ(term("8/8/8/8/8/8/8/kB2KN2 w - -"), 30) << "light bishop, king on a1";
  EXPECT_EQ(term("k7/8/8/8/8/8/8/2B1KN2 w - -"), 30) << "dark bishop, king on a8";
  EXPECT_EQ(term("2bnk3/8/8/8/8/8/8/K7 w - -"), -30) << "Black mates: White king on a1, light bishop";
  EXPECT_EQ(term("1bn1k3/8/8/8/8/8/8/K7 w - -"), -100) << "dark bishop: a1 is its corner";
  // Otherwise the edge table: (3 - 4) x 15 + EDGE[e8] 90.
  EXPECT_EQ(term("4k3/8/8/8/4K3/8/8/R7 w - -"), 75);
  EXPECT_EQ(term("4k3/8/8/8/4K3/8/8/r7 w - -"), 15 - 40) << "(4 - 3) x 15 - EDGE[e4]";
}

TEST(EvalScalingActive, PawnlessQuartersTheSideThatCannotWin) {
  EXPECT_EQ(ScalePawnless(400, BLACK_CAN_WIN), 100);
  EXPECT_EQ(ScalePawnless(400, WHITE_CAN_WIN), 400);
  EXPECT_EQ(ScalePawnless(-400, WHITE_CAN_WIN), -100);
  EXPECT_EQ(ScalePawnless(-5, 0), -2) << "arithmetic shift";
}

TEST(EvalScalingActive, OppositeBishopsAndPawns) {
  auto pos = Prepared("4k3/5p2/3b2p1/8/8/2P3P1/4BP2/4K3 w - -");
  const MaterialInfo mi = BuildMaterialInfo(pos->material);
  EXPECT_EQ(ScaleOppositeBishops(*pos, mi, 120), 30) << "bishops alone, balance within 200";
  EXPECT_EQ(ScaleOppositeBishops(*pos, mi, -121), -31);
  auto same = Prepared("4k3/5p2/4b1p1/8/8/2P3P1/4BP2/4K3 w - -");
  EXPECT_EQ(ScaleOppositeBishops(*same, BuildMaterialInfo(same->material), 120), 120) << "same colour";
  auto up = Prepared("4k3/8/3b4/8/8/2P3P1/4BP2/4K3 w - -");
  const MaterialInfo mi_up = BuildMaterialInfo(up->material);
  EXPECT_EQ(ScaleOppositeBishops(*up, mi_up, 400), 200) << "three pawns up, halved";
  auto rooks = Prepared("r3k3/8/3b4/8/8/2P3P1/4BP2/R3K3 w - -");
  const MaterialInfo mi_rooks = BuildMaterialInfo(rooks->material);
  EXPECT_EQ(ScaleOppositeBishops(*rooks, mi_rooks, 400), 300 + (100 >> 1)) << "pulled halfway to balance";
}

TEST(EvalScalingActive, OppositeBishopsQuarterTheWholeScore) {
  auto pos = Prepared("4k3/5p2/3b2p1/8/8/2P3P1/4BP2/4K3 w - -");
  EvalTrace trace;
  const int score = EvaluateWithTrace(*pos, trace);
  int before = 0, change = 0;
  for (int i = 0; i < trace.count; ++i) {
    if (std::string(trace.rows[i].stage) == "opposite bishops") change = trace.rows[i].white_view;
    else if (std::string(trace.rows[i].stage) != "winnability clamp") before += trace.rows[i].white_view;
  }
  EXPECT_EQ(before + change, before >> 2);
  EXPECT_EQ(score, before >> 2);
}

TEST(EvalScalingActive, WinnabilityClamp) {
  EXPECT_EQ(ClampToWinnability(90, BLACK_CAN_WIN), 0);
  EXPECT_EQ(ClampToWinnability(-90, BLACK_CAN_WIN), -90);
  EXPECT_EQ(ClampToWinnability(-90, WHITE_CAN_WIN), 0);
  EXPECT_EQ(ClampToWinnability(90, BOTH_CAN_WIN), 90);
}

// Positions without the deliberately one-sided race tempo; the root side
// follows the side to move, so its king-danger weighting, blocked chains
// and stonewall turn with the board.
constexpr const char* SYMMETRY_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    MIDDLE_GAME,
    "r3k2r/pbpnqppp/1p1ppn2/8/2PP4/P1Q1PN2/1P1B1PPP/R3KB1R w KQkq -",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 b - -",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/2P2N1P/PPB2PP1/RNBQR1K1 w - -",
    "3r1rk1/pp3pp1/2p1bq1p/4n3/2P1P3/2N2P2/PP1QB1PP/3R1RK1 b - -",
    "r2q1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/2KR1B1R w - -",
    "rnbqkb1r/pp3ppp/4pn2/2pp4/3P1P2/4PN2/PPP1B1PP/RNBQK2R b KQkq -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/5pk1/6p1/7p/7P/6P1/5PK1/8 b - -",
    "8/p4k2/1p3p2/2p5/2P5/1P3P2/P4K2/8 w - -",
    "8/8/p1p5/1p6/1P2k3/P1P5/4K3/8 w - -",
    "8/8/4k3/8/4P3/4K3/8/8 b - -",
    "8/5k2/8/3PP3/8/8/8/4K3 w - -",
    "2r3k1/1P3pp1/7p/8/8/7P/5PP1/2R3K1 b - -",
    "4k3/8/8/8/8/8/8/1B2KN2 w - -",
    "8/3k4/8/2n5/8/5B2/4K3/8 w - -",
    "r4rk1/1b3ppp/p7/1p1Pp3/4P3/P3BN2/1P3PPP/R4RK1 w - -",
};

TEST(EvalSymmetryActive, MirrorGivesTheSameSideToMoveScore) {
  for (const char* fen : SYMMETRY_POSITIONS) {
    const std::string mirror = eval_test::MirrorFen(fen);
    for (bool computer : {true, false}) {
      const int original = Evaluate(*Prepared(fen, -1, computer));
      const int flipped = Evaluate(*Prepared(mirror, -1, computer));
      EXPECT_EQ(original, flipped) << fen << " / " << mirror;
    }
  }
}

// The uncached score of a position with the root side to move; *scaled
// tells whether a halving or quartering step changed it (those shift
// arithmetically, so a negative score rounds one further from zero).
int FreshScore(const std::string& fen, bool* scaled) {
  auto pos = std::make_unique<Position>();
  SetPosition(*pos, fen.c_str());
  PrepareEvaluation(false, pos->side, pos->state.castling);
  ClearPawnCache();
  EvalTrace trace;
  const int score = EvaluateWithTrace(*pos, trace);
  for (int i = 0; i < trace.count; ++i) {
    const std::string stage = trace.rows[i].stage;
    if ((stage == "pawnless scaling" || stage == "opposite bishops") && trace.rows[i].white_view) *scaled = true;
  }
  return score;
}

// Has the race between two runners with its one-sided tempo: pieces gone
// on both sides and pawns on both.
bool BothMayRace(const Position& pos) {
  return pos.piece_count[WHITE] == 0 && pos.piece_count[BLACK] == 0 && pos.bitboards[PAWN][WHITE] &&
         pos.bitboards[PAWN][BLACK];
}

TEST(EvalSymmetryActive, RandomGamesStaySymmetric) {
  eval_test::EnsureTables();
  SetOpponentIsComputer(false);
  uint32_t random = 12345;
  int compared = 0;
  for (const char* start : SYMMETRY_POSITIONS) {
    auto pos = std::make_unique<Position>();
    SetPosition(*pos, start);
    UndoRecord undo[60];
    Move played[60];
    int depth = 0;
    for (; depth < 60; ++depth) {
      const std::string fen = eval_test::FenOf(*pos);
      if (!BothMayRace(*pos)) {
        bool scaled = false;
        const int original = FreshScore(fen, &scaled);
        const int mirrored = FreshScore(eval_test::MirrorFen(fen), &scaled);
        EXPECT_LE(std::abs(original - mirrored), scaled ? 1 : 0) << fen;
        ++compared;
      }
      Move moves[256];
      const int count = BuildLegalMoves(*pos, moves);
      if (count == 0) break;
      random = random * 1103515245u + 12345u;
      played[depth] = moves[(random >> 16) % count];
      SaveState(*pos, undo[depth]);
      MakeMove(*pos, undo[depth], played[depth], -1);
    }
    while (depth-- > 0) UnmakeMove(*pos, undo[depth], played[depth]);
  }
  EXPECT_GT(compared, 500);
}

TEST(EvalSymmetryActive, RootSideWeightsKingDangerOneWay) {
  // Start position: both indices 3; the root side pays 24, the other 15.
  EvalTrace as_white, as_black;
  EvaluateWithTrace(*Prepared("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", WHITE), as_white);
  EvaluateWithTrace(*Prepared("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", BLACK), as_black);
  auto king_danger = [](const EvalTrace& trace) {
    for (int i = 0; i < trace.count; ++i)
      if (std::string(trace.rows[i].stage) == "king danger") return trace.rows[i].white_view;
    return -1000;
  };
  EXPECT_EQ(king_danger(as_white), 15 - 24);
  EXPECT_EQ(king_danger(as_black), 24 - 15);
}

}  // namespace
