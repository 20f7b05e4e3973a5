// The Active pawn terms: structure, shelter, passed pawns, races and the
// passer distribution, each with a position that triggers it and one that
// just misses.
#include "eval/active/passed_pawns.h"
#include "eval/active/pawn_geometry.h"
#include "eval/eval_geometry.h"
#include "eval_test_support.h"

namespace {

using eval_test::PawnInfoOf;
using eval_test::Prepared;

int PawnScore(const char* fen, int root_side = -1, bool computer = true) {
  return PawnInfoOf(*Prepared(fen, root_side, computer)).score;
}

int Race(const char* fen) {
  auto pos = Prepared(fen);
  return PawnRace(*pos, BuildMaterialInfo(pos->material), PawnInfoOf(*pos));
}

int Passers(const char* fen) {
  auto pos = Prepared(fen);
  return PassedPawnTerms(*pos, BuildMaterialInfo(pos->material), PawnInfoOf(*pos));
}

// The short count of pawn attackers agrees with a full count on every
// square, edge files included, for no, one and both attackers.
TEST(EvalPawnGeometryActive, PawnsHittingCountsEveryAttacker) {
  Prepared("4k3/8/8/8/8/8/8/4K3 w - -");  // the attack tables
  const Bitboard sets[] = {0, ~0ULL, 0x00FF00FF00FF00FFULL, 0x5555555555555555ULL, 0x8181818181818181ULL};
  for (const Bitboard pawns : sets)
    for (int side : {BLACK, WHITE})
      for (int sq = 0; sq < 64; ++sq)
        EXPECT_EQ(PawnsHitting(side, pawns, sq), BitCount(pawns & pawn_attacks[sq][side ^ 1])) << sq;
}

TEST(EvalPawnStructureActive, DoubledPawnsEachPay) {
  // d2: PAWN -7 + PASSED 8. e3: 12 - 5 + 16. e4: 15 - 5 + PASSED 32 halved.
  EXPECT_EQ(PawnScore("4k3/8/8/8/4P3/4P3/3P4/4K3 w - -"), 1 + 23 + 26);
  // Three on the file pay DOUBLED[3] = 10 each: d2 -7 + 2 (duo) + 8,
  // e2 -7 - 10 + 2 + 8, e3 12 - 10 + 8, e4 15 - 10 + 16.
  EXPECT_EQ(PawnScore("4k3/8/8/8/4P3/4P3/3PP3/4K3 w - -"), 3 - 7 + 10 + 21);
}

TEST(EvalPawnStructureActive, PassedPawnWithAFriendBehindGetsHalf) {
  // e6 31 + 120/2, e5 18 + 60, both isolated on a half-open file (-24 - 10);
  // Black's a7: isolated and passed, 0 + 8 from its view, then +12 + 5.
  EXPECT_EQ(PawnScore("4k3/p7/4P3/4P3/8/8/8/4K3 w - -"), 31 + 60 + 18 + 60 - 24 - 10 - 8 + 12 + 5);
  const PawnInfo info = PawnInfoOf(*Prepared("4k3/p7/4P3/4P3/8/8/8/4K3 w - -"));
  EXPECT_EQ(info.passed_files[WHITE], 1 << 4);
  EXPECT_EQ(info.passed_files[BLACK], 1 << 0);
  EXPECT_EQ(info.open_files, 0xFF & ~(1 << 4) & ~(1 << 0));
}

TEST(EvalPawnStructureActive, BackwardPawn) {
  // d3 (12) is backward: c5 hits d4 and no pawn can come up; e4 15 + 32
  // passed, defended by d3; Black's c5: 12 from its view, isolated +17.
  EXPECT_EQ(PawnScore("4k3/8/8/2p5/4P3/3P4/8/4K3 w - -"), (12 - 12) + 47 - 12 + 17);
  // A c2 pawn that can walk up to c3 unattacked saves d3.
  // c2 (6) defends d3 (12); Black's c5 is no longer on a half-open file.
  EXPECT_EQ(PawnScore("4k3/8/8/2p5/4P3/3P4/2P5/4K3 w - -"), 6 + 12 + 47 - 12 + 12);
}

TEST(EvalPawnStructureActive, IsolatedPawnsAreChargedByCount) {
  // a2 0 + 8, c2 6 + 8, e2 -7 + 8 (all passed); ISOLATED[3] 56 and
  // ISOLATED_OPEN[3] 15.
  EXPECT_EQ(PawnScore("4k3/8/8/8/8/8/P1P1P3/4K3 w - -"), 8 + 14 + 1 - 56 - 15);
  // A Black pawn on e7 in front of e2: e2 is no longer on a half-open file
  // and not passed; e7 is isolated on its own closed file (-7, +12).
  EXPECT_EQ(PawnScore("4k3/4p3/8/8/8/8/P1P1P3/4K3 w - -"), 8 + 14 - 7 - 56 - 10 + 7 + 12);
}

TEST(EvalPawnStructureActive, BlockedChainsOnlyAgainstPeopleAndOnlyForTheEngine) {
  const char* fen = "4k3/pppppppp/8/PPPPPPPP/8/8/8/4K3 w - -";  // no head-to-head blocks
  const char* blocked = "4k3/8/pppppp2/PPPPPP2/8/8/8/4K3 w - -";
  EXPECT_EQ(PawnScore(fen, WHITE, false), PawnScore(fen, WHITE, true));
  // Six blocked pairs: BLOCKED[6] = 80, charged to the engine's colour.
  EXPECT_EQ(PawnScore(blocked, WHITE, false) - PawnScore(blocked, WHITE, true), -80);
  EXPECT_EQ(PawnScore(blocked, BLACK, false) - PawnScore(blocked, BLACK, true), 80);
  const char* five_blocked = "4k3/8/ppppp3/PPPPP3/8/8/8/4K3 w - -";
  EXPECT_EQ(PawnScore(five_blocked, WHITE, false), PawnScore(five_blocked, WHITE, true)) << "only 5 pawns";
}

TEST(EvalPawnStructureActive, LeverOnTheSixthRank) {
  // e6 blocked by e7, with d5 diagonally behind and nothing ahead of d5 on
  // the d- or c-file: 31 + LEVER 16. d5 is backward (e7 hits d6): 18 - 12.
  // Black's e7: -7 from its view, isolated (+12), not on a half-open file.
  EXPECT_EQ(PawnScore("4k3/4p3/4P3/3P4/8/8/8/4K3 w - -"), (18 - 12) + (31 + 16) + 7 + 12);
  // A Black pawn on c7 stands ahead of the supporter's outer file: no
  // lever; d6 is now hit twice (backward 20); c7 6 from Black's view,
  // isolated on a half-open file (ISOLATED[2] 24, ISOLATED_OPEN[1] 5).
  EXPECT_EQ(PawnScore("4k3/2p1p3/4P3/3P4/8/8/8/4K3 w - -"), (18 - 20) + 31 - 6 + 7 + 24 + 5);
}

TEST(EvalShelterActive, StonewallRaisesTheEnginesKingSideWeakness) {
  const char* fen = "4k3/pppp2pp/4p3/8/3P1P2/8/PPP3PP/4K3 w - -";
  auto as_black = PawnInfoOf(*Prepared(fen, BLACK));
  auto as_white = PawnInfoOf(*Prepared(fen, WHITE));
  EXPECT_EQ(as_black.shelter_weakness[KING_SIDE][BLACK] - as_white.shelter_weakness[KING_SIDE][BLACK], 7);
  EXPECT_EQ(as_black.shelter_weakness[KING_SIDE][WHITE], as_white.shelter_weakness[KING_SIDE][WHITE]);
}

TEST(EvalShelterActive, OpenHalfOpenAndDamagedWings) {
  // Intact f2 g2 h2: nothing counted, the f-file is not even looked at.
  EXPECT_EQ(PawnInfoOf(*Prepared("4k3/5ppp/8/8/8/8/5PPP/4K3 w - -")).shelter_weakness[KING_SIDE][WHITE], 0);
  // h3 (+1 damage), g-file half-open for White (HALFOPEN[1] 3), f2 intact.
  EXPECT_EQ(PawnInfoOf(*Prepared("4k3/5ppp/8/8/8/7P/5P2/4K3 w - -")).shelter_weakness[KING_SIDE][WHITE], 3 + 1);
  // g3 with h3: damage h 1, g 1 + 1 (knight file), f2 0; the third-rank
  // pair forgives one: 2.
  EXPECT_EQ(PawnInfoOf(*Prepared("4k3/5ppp/8/8/8/6PP/5P2/4K3 w - -")).shelter_weakness[KING_SIDE][WHITE], 2);
  // g4 instead: g is not on the third rank either (1 + 1 + 1), no pair: 4.
  EXPECT_EQ(PawnInfoOf(*Prepared("4k3/5ppp/8/8/6P1/7P/5P2/4K3 w - -")).shelter_weakness[KING_SIDE][WHITE], 4);
  // No pawns on f, g, h at all: OPENFILE[3] = 16.
  EXPECT_EQ(PawnInfoOf(*Prepared("4k3/ppp5/8/8/8/8/PPP5/4K3 w - -")).shelter_weakness[KING_SIDE][WHITE], 16);
}

TEST(EvalPassedPawnsActive, KingSupportAndTheHeldRookEnding) {
  // e5 passer, king d6 beside and ahead: SUPPORT[5th] = 12.
  EXPECT_EQ(Passers("k7/r7/3K4/4P3/8/8/8/R7 w - -"), 12);
  // Defending king on the e-file in front of the pawn: the whole term is 0.
  EXPECT_EQ(Passers("8/r3k3/3K4/4P3/8/8/8/R7 w - -"), 0);
  // Own king two files away: held as well.
  EXPECT_EQ(Passers("k7/r7/2K5/4P3/8/8/8/R7 w - -"), 0);
  // Blocked passer: -BLOCKED_PASSER[5th] = -30 (the support stays).
  EXPECT_EQ(Passers("k7/8/3Kn3/4P3/8/8/8/8 w - -"), 12 - 30);
}

TEST(EvalPassedPawnsActive, ConnectedPassersOnTheSixth) {
  // f6 g6: CONNECTED 48 + 100, + 100 more as the king on a1 catches neither.
  EXPECT_EQ(Passers("8/8/5PP1/8/8/8/8/k6K w - -"), 248);
  // King on e8 catches f6: no last 100.
  EXPECT_EQ(Passers("4k3/8/5PP1/8/8/8/8/7K w - -"), 148);
  // A knight on g7 in front: only CONNECTED and the blockade.
  EXPECT_EQ(Passers("8/6n1/5PP1/8/8/8/8/k6K w - -"), 48 - 45);
}

TEST(EvalPawnRaceActive, KingAndPawnAgainstKing) {
  EXPECT_EQ(Race("8/8/4K3/8/4P3/8/8/k7 w - -"), 525) << "king two ranks in front";
  EXPECT_EQ(Race("8/3k4/8/4K3/4P3/8/8/8 b - -"), 0) << "one rank in front without the opposition";
  EXPECT_EQ(Race("8/4k3/8/4K3/4P3/8/8/8 b - -"), 525) << "one rank in front with the opposition";
  EXPECT_EQ(Race("3k4/8/1K6/P7/8/8/8/8 w - -"), 525) << "a-pawn, king on b6 nearer to a8";
  // c6 is not the b-file: the king-and-pawn rule misses; the d8 king is
  // inside the square of a5, the e8 king is not (three moves).
  EXPECT_EQ(Race("3k4/8/2K5/P7/8/8/8/8 w - -"), 0);
  EXPECT_EQ(Race("4k3/8/2K5/P7/8/8/8/8 w - -"), 575 - 30);
  EXPECT_EQ(Race("8/8/8/8/4p3/8/4k3/K7 b - -"), -525) << "Black: king two ranks below";
}

TEST(EvalPawnRaceActive, RunnersAndQueens) {
  EXPECT_EQ(Race("7k/8/P7/7p/8/8/8/4K3 w - -"), 575 - 20) << "only White runs";
  // Both run in two; White promotes first and its queen on a8 hits h1.
  EXPECT_EQ(Race("8/8/P7/8/6k1/7p/8/K7 w - -"), 575 - 20);
  // The Black king on g1 guards h1 and is not checked: no result.
  EXPECT_EQ(Race("8/8/P7/8/8/7p/8/K5k1 w - -"), 0);
  // Black to move in the mirror: Black is a move ahead and its queen on a1
  // hits h8 unguarded.
  EXPECT_EQ(Race("k7/8/7P/6K1/8/p7/8/8 b - -"), 10 * 1 - 575);
  // Black clearly faster: 10 x 2 - 575.
  EXPECT_EQ(Race("8/8/8/P7/6k1/7p/8/K7 w - -"), 10 * 2 - 575);
}

TEST(EvalPawnRaceActive, CatchAndPathTests) {
  constexpr int A2 = 8, E2 = 12, A6 = 40, C8 = 58, D8 = 59, H8 = 63;
  // White a6 needs two moves; the h8 king is 7 away.
  EXPECT_FALSE(KingCatchesPawn(WHITE, A6, H8, WHITE));
  EXPECT_TRUE(KingCatchesPawn(WHITE, A6, C8, WHITE)) << "inside the square";
  EXPECT_FALSE(KingCatchesPawn(WHITE, A6, D8, WHITE)) << "one step outside";
  EXPECT_TRUE(KingCatchesPawn(WHITE, A6, D8, BLACK)) << "steps in with its own move";
  // A pawn on its second rank counts from the third (five moves).
  EXPECT_FALSE(KingCatchesPawn(WHITE, E2, A2, WHITE)) << "a2 is six from e8";
  EXPECT_TRUE(KingCatchesPawn(WHITE, E2, A2, BLACK));
  EXPECT_EQ(MovesToPromote(WHITE, 12, 4), 5);
  EXPECT_EQ(MovesToPromote(WHITE, 12, 60), 6) << "own king on the file ahead";
  EXPECT_EQ(MovesToPromote(WHITE, 8, 56), 6) << "rook pawns count the king in the path too";
  EXPECT_EQ(MovesToPromote(BLACK, 52, 4), 6);
}

TEST(EvalPasserDistributionActive, FlagsFromOutsideAndEdgePassers) {
  auto flags = [](const char* fen) { return PawnInfoOf(*Prepared(fen)).distribution_flags; };
  EXPECT_EQ(flags("4k3/5ppp/8/8/P7/8/5PPP/4K3 w - -"), WHITE_PASSER_SPREAD) << "one outside passer";
  EXPECT_EQ(flags("4k3/3pp3/8/8/P6P/8/8/4K3 w - -"), WHITE_PASSERS_OUTSIDE) << "passers on both wings";
  EXPECT_EQ(flags("4k3/3pp3/8/8/P6P/8/8/4K3 w - -"), WHITE_PASSERS_OUTSIDE);
  EXPECT_EQ(flags("4k3/5ppp/8/8/8/8/5PPP/4K3 w - -"), 0) << "no passers anywhere";
  EXPECT_EQ(flags("4k3/5ppp/8/8/P7/8/8/4K3 w - -"), 0) << "both sides have outside passers";
}

TEST(EvalPasserDistributionActive, SpreadWeightedByTheDefendersPieces) {
  auto distribution = [](const char* fen) {
    auto pos = Prepared(fen);
    return PasserDistribution(*pos, BuildMaterialInfo(pos->material), PawnInfoOf(*pos));
  };
  // Flag 1 against a Black rook: SPREAD[5] = 42.
  EXPECT_EQ(distribution("r3k3/5ppp/8/8/P7/8/5PPP/4K3 w - -"), 42);
  // White passers on a and h, gap 6 between them, Black with only pawns
  // against White's rook: 2 x SPREAD[0] for the outside pair + 48 x 5.
  EXPECT_EQ(distribution("4k3/3pp3/8/8/P6P/8/8/R3K3 w - -"), 2 * 96 + 48 * 5);
}

TEST(EvalPasserDistributionActive, KingCutOffInPawnEndings) {
  auto distribution = [](const char* fen) {
    auto pos = Prepared(fen);
    return PasserDistribution(*pos, BuildMaterialInfo(pos->material), PawnInfoOf(*pos));
  };
  // Black king on d-file between White's king (g) and White's a/b pawns.
  const int cut = distribution("8/8/8/8/pp1k4/8/PP4K1/8 b - -");
  const int not_cut = distribution("8/8/8/8/pp5k/8/PP4K1/8 b - -");
  EXPECT_EQ(cut - not_cut, -150);
  // Black has no pawns for the White king to be cut off from: only flag 1
  // (the outside a/b passers, SPREAD[0] = 96), no +150.
  EXPECT_EQ(distribution("8/8/8/8/k7/8/PP4K1/8 b - -"), 96);
}

}  // namespace

// A cache entry whose key word belongs to one pawn structure and whose
// other words to another (two threads writing it at once) names passed
// files where this position has no pawn. The hit must keep only files
// that hold the side's pawns, and the passer and race code run on it.
TEST(EvalPawnCacheActive, TornEntryNamesOnlyFilesWithPawns) {
  // Source of the file bytes: White passers on a and h, Black on b.
  auto donor = Prepared("4k3/8/P6P/8/8/1p6/8/4K3 w - -");
  PawnInfo torn = PawnInfoOf(*donor);
  ASSERT_NE(torn.passed_files[WHITE] & 0x81, 0);
  // The position whose key word the entry carries: pawns on d and e only.
  auto pos = Prepared("4k3/8/3p4/8/8/4P3/8/4K3 w - -");
  torn.key_high = static_cast<uint32_t>(pos->pawn_key >> 32);
  torn.key_middle = static_cast<uint16_t>(pos->pawn_key >> 16);
  StorePawnEntry(pos->pawn_key, torn);

  PawnInfo hit;
  ProbePawnStructure(*pos, hit);
  for (int side : {BLACK, WHITE}) {
    const uint8_t files = FilesOf(pos->bitboards[PAWN][side]);
    EXPECT_EQ(hit.pawn_files[side], files);
    EXPECT_EQ(hit.passed_files[side] & ~files, 0);
    EXPECT_EQ(hit.candidate_files[side] & ~files, 0);
  }
  EXPECT_EQ(hit.open_files, 0xFF & ~(1 << 3 | 1 << 4));
  // The terms that take the pawn of each passed file stay in range (the
  // sanitizer build checks the bit scans and table indices).
  const MaterialInfo mi = BuildMaterialInfo(pos->material);
  PassedPawnTerms(*pos, mi, hit);
  PawnRace(*pos, mi, hit);
  Evaluate(*pos);
}
