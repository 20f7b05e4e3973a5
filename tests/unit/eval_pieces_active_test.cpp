// The Active piece and king terms: outposts, bishops, rooks, queens,
// trapped bishops, castling, king danger and king safety.
#include "eval/active/king_terms.h"
#include "eval/active/pieces.h"
#include "eval_test_support.h"

namespace {

using eval_test::PawnInfoOf;
using eval_test::Prepared;

// The piece terms of a position after the king-danger stage, as the
// evaluation runs them; units against each king in *units.
int Pieces(const char* fen, int (*units)[2] = nullptr) {
  auto pos = Prepared(fen);
  MaterialInfo mi = BuildMaterialInfo(pos->material);
  const PawnInfo info = PawnInfoOf(*pos);
  KingDangerStage(*pos, mi, info);
  int local[2] = {0, 0};
  const int score = PieceTerms(*pos, mi, info, local);
  if (units) {
    (*units)[0] = local[0];
    (*units)[1] = local[1];
  }
  return score;
}

TEST(EvalOutpostActive, KnightOnD5) {
  // Eight knight squares in the area (8 - 4), KNIGHT[d5] 6, OUTPOST 15, and
  // one pawn defender with a Black knight on the board: 15 / 2 = 7.
  EXPECT_EQ(Pieces("n3k3/8/8/3N4/4P3/8/8/4K3 w - -") - Pieces("n3k3/8/8/8/4P3/8/8/4K3 w - -"), 4 + 6 + 15 + 7);
  // No knight and no light-squared bishop to exchange it: the full 15 again.
  EXPECT_EQ(Pieces("r3k3/8/8/3N4/4P3/8/8/4K3 w - -") - Pieces("r3k3/8/8/8/4P3/8/8/4K3 w - -"), 4 + 6 + 15 + 15);
  // Two defenders: the full 15 even with a Black knight.
  EXPECT_EQ(Pieces("n3k3/8/8/3N4/2P1P3/8/8/4K3 w - -") - Pieces("n3k3/8/8/8/2P1P3/8/8/4K3 w - -"), 4 + 6 + 15 + 15);
  // A c7 pawn can still chase it: no outpost; c7 also takes b6 from the
  // area (7 - 4).
  EXPECT_EQ(Pieces("n3k3/2p5/8/3N4/4P3/8/8/4K3 w - -") - Pieces("n3k3/2p5/8/8/4P3/8/8/4K3 w - -"), 3 + 6);
}

TEST(EvalOutpostActive, KnightBlockingACentrePawn) {
  // d6 in front of a Black d7 pawn: 18 outpost, +12 for the block. The
  // knight reaches 8 squares, but c8/e8... all in the area (8 - 4), KNIGHT[d6] 6.
  EXPECT_EQ(Pieces("4k3/3p4/3N4/8/8/8/8/4K3 w - -") - Pieces("4k3/3p4/8/8/8/8/8/4K3 w - -"), 4 + 6 + 18 + 12);
}

TEST(EvalBishopsActive, PairDependsOnPawnCount) {
  // Bishops on d3 and e3; pawns off their diagonals.
  const char* eight = "4k3/8/8/6PP/6PP/3BBPPP/P7/4K3 w - -";
  const char* seven = "4k3/8/8/6PP/6PP/3BBPPP/8/4K3 w - -";
  const char* six = "4k3/8/8/6PP/6PP/3BB1PP/8/4K3 w - -";
  EXPECT_EQ(Pieces(seven) - Pieces(eight), 15 - 8);
  EXPECT_EQ(Pieces(six) - Pieces(seven), 20 - 15);
}

TEST(EvalBishopsActive, LoneBishopPaysForPawnsOnItsColour) {
  // Bishop a1 (dark); six pawns on dark squares off its diagonal, or on
  // light squares: -4 each. Both keep pawns on both wings (+30 each).
  const char* dark = "4k3/P7/8/P1P5/8/P3P1P1/8/B3K3 w - -";
  const char* light = "4k3/8/P7/8/P1P1P1P1/8/P7/B3K3 w - -";
  EXPECT_EQ(Pieces(light) - Pieces(dark), 24);
}

TEST(EvalBishopsActive, FianchettoGuardsTheKingOnItsWingOnly) {
  // Only the king moves, off the wing: +10 for the guarding bishop, on
  // either wing (nothing else here sees the White king's square).
  EXPECT_EQ(Pieces("rr4k1/8/1nb5/8/RR6/2N3P1/5PBP/6K1 w - -") -
                Pieces("rr4k1/8/1nb5/8/RR6/2N3P1/5PBP/4K3 w - -"),
            10);
  EXPECT_EQ(Pieces("rr4k1/8/1nb5/8/5RR1/1P3N2/PBP5/1K6 w - -") -
                Pieces("rr4k1/8/1nb5/8/5RR1/1P3N2/PBP5/3K4 w - -"),
            10);
}

TEST(EvalRooksActive, SeventhRankWithPassedPawn) {
  // Ra7: 7 file + 7 rank squares (14 - 7), open file +24, seventh +30, a
  // passed h2 pawn with the king on h8 and an empty b7-g7: +20.
  EXPECT_EQ(Pieces("7k/R7/8/8/8/8/7P/6K1 w - -"), 7 + 24 + 30 + 20);
  // A Black c7 pawn: the rank stops at c7 (9 - 7), no +20.
  EXPECT_EQ(Pieces("7k/R1p5/8/8/8/8/7P/6K1 w - -"), 2 + 24 + 30);
}

TEST(EvalRooksActive, FilesAndPassers) {
  // Rook e1 behind its own e-passer: half the file's attack count, no open
  // file bonus, +40 behind the passer.
  const int behind = Pieces("4k3/8/8/4P3/8/8/8/4R1K1 w - -");
  const int beside = Pieces("4k3/8/8/4P3/8/8/8/3R2K1 w - -");
  // e1: a1..d1 and f1 (the g1 king is not in the area) and e2..e4: 8 - 7,
  // ROOK[e] 6, +40 behind the passer.
  EXPECT_EQ(behind, 8 - 7 + 6 + 40);
  // d1: a1..c1, e1, f1 and d2..d8 (12 - 7), ROOK[d] 6, open file +24.
  EXPECT_EQ(beside, 12 - 7 + 6 + 24);
  // A rook shut in on a closed file, the files it reaches along its rank
  // (a and c) closed too while d-h are open: b1 -7 - 12. Knight a1: b3 only
  // (1 - 4) - 8. Bishop c1: d2..h6 (5 - 6) - 8, one own pawn (b2) on its
  // colour -4. The rook also stands behind its passed b2 pawn: +40.
  EXPECT_EQ(Pieces("4k3/8/8/8/8/8/PPP5/NRB1K3 w - -"), (-7 - 12 + 40) + (-3 - 8) + (-1 - 8) - 4);
}

TEST(EvalQueensActive, AttackUnitsNeverFallBelowMinusEight) {
  int units[2];
  Pieces("6k1/8/8/8/8/8/PPPPP3/QQ2K3 w - -", &units);
  EXPECT_EQ(units[BLACK], -8);
  Pieces("6k1/8/8/8/8/8/PPPP4/QQ2K3 w - -", &units);
  EXPECT_GE(units[BLACK], 0) << "four pawns: no wing reduction";
  EXPECT_EQ(KingSafety(MaterialInfo{}, {-8, 0}), -25) << "KINGATTACK[-8]";
  EXPECT_EQ(KingSafety(MaterialInfo{}, {-30, 0}), -25);
  EXPECT_EQ(KingSafety(MaterialInfo{}, {0, 10}), -70);
  MaterialInfo danger{};
  danger.danger_index[WHITE] = 60;  // SCALE 32 beyond the table
  EXPECT_EQ(KingSafety(danger, {0, 10}), -(32 * 70 >> 4));
}

TEST(EvalKingTermsActive, EveryUnitFrom27To119AndBeyondCosts180) {
  for (int units = 27; units <= 130; ++units)
    EXPECT_EQ(KingSafety(MaterialInfo{}, {0, units}), -180) << units << " units";
}

TEST(EvalKingTermsActive, TrappedBishopCountsOncePerColour) {
  EXPECT_EQ(TrappedBishops(*Prepared("4k3/8/8/8/8/1P6/b7/4K3 w - -")), 175);
  EXPECT_EQ(TrappedBishops(*Prepared("4k3/8/8/8/8/1P4P1/b6b/4K3 w - -")), 175);
  EXPECT_EQ(TrappedBishops(*Prepared("4k3/8/8/8/8/2P5/b7/4K3 w - -")), 0) << "no pawn on b3";
  EXPECT_EQ(TrappedBishops(*Prepared("4k3/5p2/8/8/8/8/8/4K1B1 w - -")), 0) << "g1 is not a trap for White";
  EXPECT_EQ(TrappedBishops(*Prepared("4k1B1/5p2/8/8/8/8/8/4K3 w - -")), -175);
}

TEST(EvalKingTermsActive, StartPositionKingDanger) {
  auto pos = Prepared("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", WHITE);
  MaterialInfo mi = BuildMaterialInfo(pos->material);
  EXPECT_EQ(KingDangerStage(*pos, mi, PawnInfoOf(*pos)), 15 - 24);
  EXPECT_EQ(mi.danger_index[WHITE], 3);
  EXPECT_EQ(mi.danger_index[BLACK], 3);
}

TEST(EvalKingTermsActive, UncastledRookFileKingIsAdjusted) {
  auto pos = Prepared("r1bqk2r/ppp2ppp/2n5/8/8/2N5/PPP2PPP/R1BQ1R1K w kq -");
  MaterialInfo mi = BuildMaterialInfo(pos->material);
  KingDangerStage(*pos, mi, PawnInfoOf(*pos));
  EXPECT_EQ(mi.adjusted_king[WHITE], 6) << "h1 counts as g1";
  EXPECT_EQ(mi.adjusted_king[BLACK], 60) << "a king with castling rights stays";
  // KINGPOS[h1] 1 + king-side weakness 0.
  EXPECT_EQ(mi.danger_index[WHITE], 1);
}

TEST(EvalKingTermsActive, EndgameSkipsKingDanger) {
  auto pos = Prepared("4k3/pppp4/8/8/8/8/PPPP4/R3K2R w KQ -");
  MaterialInfo mi = BuildMaterialInfo(pos->material);
  ASSERT_TRUE(mi.endgame);
  EXPECT_EQ(KingDangerStage(*pos, mi, PawnInfoOf(*pos)), 0);
  EXPECT_EQ(mi.danger_index[WHITE], 0);
}

TEST(EvalKingTermsActive, CastlingTermsFollowTheRootRights) {
  const char* fen = "r3k2r/pppq1ppp/8/8/8/8/PPPQ1PPP/R3K2R w KQkq -";
  auto pos = Prepared(fen);
  const PawnInfo info = PawnInfoOf(*pos);
  // Both: queen off d1/d8 -12, a right kept -30; the queen side may be
  // weaker but both rights are held. Balanced.
  EXPECT_EQ(CastlingTerms(*pos, info), 0);
  // Only White castled at the root? Prepare with Black's rights gone.
  auto white_only = Prepared("r3k2r/pppq1ppp/8/8/8/8/PPPQ1PPP/R3K2R w KQ -");
  EXPECT_EQ(CastlingTerms(*white_only, PawnInfoOf(*white_only)), -12 - 30);
}

TEST(EvalKingTermsActive, BackRankKings) {
  auto placement = [](const char* fen) {
    auto pos = Prepared(fen);
    return KingPlacement(*pos, BuildMaterialInfo(pos->material));
  };
  const char* middle = "rnbq1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w - -";
  EXPECT_EQ(placement(middle), 0) << "both kings walled in by f-g-h pawns";
  EXPECT_EQ(placement("rnbq1rk1/ppppppp1/7p/8/8/8/PPPPPPPP/RNBQ1RK1 w - -"), -12) << "Black made luft";
  // Black's e8 king behind d7 e7 f7 (+12); White's g1 king next to its h1
  // rook (-30), h2 gone so no wall.
  EXPECT_EQ(placement("rnbqkr2/pppppppp/8/8/8/8/PPPPPPP1/RNBQ1RKR w - -"), 12 - 30);
}

}  // namespace
