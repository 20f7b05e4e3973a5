// The Inert evaluation: material table and its corrections, the bare-king
// and opposite-bishop rules, pawn cache, race test and colour symmetry.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "board/make_move.h"
#include "board/psq_pairs.h"
#include "eval/inert/inert_pawns.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/inert_terms.h"
#include "eval/inert/material_records.h"
#include "eval/inert/material_table.h"
#include "eval_test_support.h"

namespace {

using namespace inert;
using eval_test::Prepared;
using eval_test::WhiteView;

// Counts from piece letters, White's men first ("KBN", "K").
MaterialCounts Counts(const char* white, const char* black) { return CountsOf(ParseMen(white), ParseMen(black)); }

MaterialEntry EntryOf(const char* white, const char* black) { return MaterialEntryOf(Counts(white, black)); }

// The record naming these men, in this colour order, or nullptr.
const uint32_t* RecordOf(const MaterialCounts& c) {
  uint32_t men = 0;
  return PackRecordMen(c, &men) ? FindMaterialRecord(men) : nullptr;
}

// The stage rows of a traced evaluation, by name.
int TraceRow(const Position& pos, const std::string& stage) {
  EvalTrace trace;
  EvaluateWithTrace(pos, trace);
  for (int i = 0; i < trace.count; ++i)
    if (stage == trace.rows[i].stage) return trace.rows[i].white_view;
  return 0;
}

TEST(InertMaterial, IndexAndCountsAgree) {
  eval_test::EnsureTables();
  for (uint32_t index = 0; index < MATERIAL_TABLE_SIZE; index += 997)
    EXPECT_EQ(IndexOfCounts(CountsOfIndex(index)), index);
  // The position's incremental index names the same configuration.
  auto pos = Prepared("r1b1k3/pp4pp/2n5/8/8/2N5/PPPP4/R1BQK1N1 w - -");
  const MaterialCounts c = CountsOfIndex(pos->material_index);
  EXPECT_EQ(c.pawns[WHITE], 4);
  EXPECT_EQ(c.pawns[BLACK], 4);
  EXPECT_EQ(c.knights[WHITE], 2);
  EXPECT_EQ(c.queens[WHITE], 1);
  EXPECT_EQ(c.queens[BLACK], 0);
  EXPECT_EQ(c.rooks[BLACK], 1);
}

// A legal-looking position holding exactly the counted men: White's on
// ranks 1-2, Black's on ranks 7-8.
std::string FenOfCounts(const MaterialCounts& c) {
  auto back_rank = [&](int side) {
    std::string rank;
    rank += std::string(c.queens[side], 'Q') + std::string(c.rooks[side], 'R') + std::string(c.bishops[side], 'B') +
            std::string(c.knights[side], 'N') + "K";
    rank += std::string(8 - rank.size(), '1');
    if (side == BLACK)
      for (char& letter : rank) letter = static_cast<char>(std::tolower(letter));
    return rank;
  };
  auto pawn_rank = [&](int side) {
    return std::string(c.pawns[side], side == WHITE ? 'P' : 'p') + std::string(8 - c.pawns[side], '1');
  };
  return back_rank(BLACK) + "/" + pawn_rank(BLACK) + "/8/8/8/8/" + pawn_rank(WHITE) + "/" + back_rank(WHITE) + " w - -";
}

TEST(InertMaterial, TableMatchesTheFormulaForSampledIndices) {
  eval_test::EnsureTables();
  int formula_checked = 0;
  for (uint32_t index = 5; index < MATERIAL_TABLE_SIZE; index += 331) {
    const MaterialCounts c = CountsOfIndex(index);
    auto pos = board_test::PositionFrom(FenOfCounts(c).c_str());
    ASSERT_EQ(pos->material_index, index) << FenOfCounts(c);
    const MaterialEntry* entry = MaterialEntryFor(*pos);
    ASSERT_NE(entry, nullptr);
    const MaterialEntry expected = MaterialEntryOf(c);
    EXPECT_EQ(entry->flags, expected.flags) << index;
    EXPECT_EQ(entry->correction, expected.correction) << index;
    const int phase = 24 - (c.knights[0] + c.knights[1] + c.bishops[0] + c.bishops[1]) -
                      2 * (c.rooks[0] + c.rooks[1] + 2 * (c.queens[0] + c.queens[1]));
    EXPECT_EQ(entry->flags & PHASE_MASK, std::max(0, phase)) << index;
    // Configurations with pieces, no record and no small draw take the
    // pawn formula, then the small-value and bishop-pair rules.
    const bool has_record = RecordOf(c) || RecordOf(ColoursSwapped(c));
    const bool pieces = c.knights[0] + c.knights[1] + c.bishops[0] + c.bishops[1] + c.rooks[0] + c.rooks[1] +
                        c.queens[0] + c.queens[1] > 0;
    if (ClassifySmall(c) || has_record || !pieces) continue;
    int correction = PawnFormula(c);
    if (std::abs(correction) < 2000) correction /= 8;
    correction += 600 * ((c.bishops[WHITE] >= 2) - (c.bishops[BLACK] >= 2));
    EXPECT_EQ(entry->correction, correction) << index;
    ++formula_checked;
  }
  EXPECT_GT(formula_checked, 500);
}

TEST(InertMaterial, GivenConfigTableEntries) {
  const struct {
    const char* white;
    const char* black;
    int value;
  } rows[] = {
      {"", "", 123},     {"N", "", -757},   {"", "N", 1003},  {"B", "", -146},    {"", "B", 392},
      {"BB", "", 1237},  {"R", "", 171},    {"", "R", 75},    {"Q", "", -1359},   {"", "Q", 1605},
      {"B", "N", 689},   {"R", "B", 294},   {"RN", "RN", 123}, {"QRB", "QRB", 123},
  };
  for (const auto& row : rows) EXPECT_EQ(ConfigTable(Counts(row.white, row.black)), row.value) << row.white << " v " << row.black;
}

TEST(InertMaterial, ConfigTableIsAntisymmetric) {
  for (uint32_t index = 0; index < 2916 * 81; index += 7) {
    const MaterialCounts c = CountsOfIndex(index % 2916);
    MaterialCounts swapped = c;
    for (int s = 0; s < 2; ++s) {
      swapped.knights[s] = c.knights[s ^ 1];
      swapped.bishops[s] = c.bishops[s ^ 1];
      swapped.rooks[s] = c.rooks[s ^ 1];
      swapped.queens[s] = c.queens[s ^ 1];
    }
    ASSERT_EQ(ConfigTable(c) - 123, -(ConfigTable(swapped) - 123));
  }
}

TEST(InertMaterial, GivenRecordsAndTheirMirrors) {
  eval_test::EnsureTables();
  const struct {
    const char* white;
    const char* black;
    int correction;
  } rows[] = {
      {"P", "NN", 16016}, {"PP", "NN", 12804}, {"N", "NP", 2620},      {"N", "BN", 8956},
      {"BB", "NN", 328},  {"BB", "NPPP", 1460}, {"NN", "PPPPPP", 36},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MaterialFormula(Counts(row.white, row.black)), row.correction) << row.white << " v " << row.black;
    EXPECT_EQ(MaterialFormula(Counts(row.black, row.white)), -row.correction) << row.black << " v " << row.white;
  }
  // Records are grouped, and every record lifts White (never negative).
  for (int i = 1; i < MATERIAL_RECORD_COUNT; ++i)
    EXPECT_LE(MATERIAL_RECORDS[i - 1] & 63, MATERIAL_RECORDS[i] & 63);
  for (int i = 0; i < MATERIAL_RECORD_COUNT; ++i) EXPECT_GE(RecordCorrection(MATERIAL_RECORDS[i]), 0);
}

// Unpacks a record's men into counts.
MaterialCounts CountsOfRecord(uint32_t record) {
  MaterialCounts c;
  c.queens[WHITE] = record & 1;
  c.queens[BLACK] = record >> 1 & 1;
  c.rooks[WHITE] = record >> 2 & 3;
  c.rooks[BLACK] = record >> 4 & 3;
  c.bishops[WHITE] = record >> 6 & 3;
  c.bishops[BLACK] = record >> 8 & 3;
  c.knights[WHITE] = record >> 10 & 3;
  c.knights[BLACK] = record >> 12 & 3;
  c.pawns[WHITE] = record >> 14 & 7;
  c.pawns[BLACK] = record >> 17 & 7;
  return c;
}

TEST(InertMaterialRecords, EveryRecordIsReachableAndOneWay) {
  eval_test::EnsureTables();
  ASSERT_EQ(MATERIAL_RECORD_COUNT, 1312);
  for (int i = 0; i < MATERIAL_RECORD_COUNT; ++i) {
    const uint32_t record = MATERIAL_RECORDS[i];
    if (i > 0) {
      // Sorted by group key, then by men, without duplicates.
      const uint32_t previous = MATERIAL_RECORDS[i - 1];
      ASSERT_LE(previous & 63, record & 63);
      if ((previous & 63) == (record & 63)) {
        ASSERT_LT(previous & RECORD_MEN_MASK, record & RECORD_MEN_MASK);
      }
    }
    const MaterialCounts c = CountsOfRecord(record);
    // The table's digits hold it, no small draw hides it, and its mirror
    // is no record of its own (the lookup would take either).
    for (int s = 0; s < 2; ++s) {
      EXPECT_LE(c.queens[s], 1);
      EXPECT_LE(c.rooks[s], 2);
      EXPECT_LE(c.bishops[s], 2);
      EXPECT_LE(c.knights[s], 2);
    }
    EXPECT_FALSE(ClassifySmall(c)) << i;
    EXPECT_EQ(RecordOf(ColoursSwapped(c)), nullptr) << i;
    EXPECT_EQ(RecordOf(c), &MATERIAL_RECORDS[i]) << i;
    // White is the side the record lifts, never past an even score.
    const int units = c.pawns[WHITE] - c.pawns[BLACK] +
                      3 * (c.knights[WHITE] + c.bishops[WHITE] - c.knights[BLACK] - c.bishops[BLACK]) +
                      5 * (c.rooks[WHITE] - c.rooks[BLACK]) + 10 * (c.queens[WHITE] - c.queens[BLACK]);
    EXPECT_LE(units * PawnUnit + RecordCorrection(record), units == 0 ? 1460 : 0) << i;
    EXPECT_GE(RecordCorrection(record), 0) << i;
  }
}

TEST(InertMaterialRecords, TableCarriesEveryRecordInBothColours) {
  eval_test::EnsureTables();
  for (int i = 0; i < MATERIAL_RECORD_COUNT; ++i) {
    const MaterialCounts c = CountsOfRecord(MATERIAL_RECORDS[i]);
    int expected = RecordCorrection(MATERIAL_RECORDS[i]);
    if (expected < 2000) expected /= 8;
    expected += 600 * ((c.bishops[WHITE] >= 2) - (c.bishops[BLACK] >= 2));
    auto pos = board_test::PositionFrom(FenOfCounts(c).c_str());
    auto mirror = board_test::PositionFrom(FenOfCounts(ColoursSwapped(c)).c_str());
    ASSERT_NE(MaterialEntryFor(*pos), nullptr) << i;
    ASSERT_NE(MaterialEntryFor(*mirror), nullptr) << i;
    EXPECT_EQ(MaterialEntryFor(*pos)->correction, expected) << FenOfCounts(c);
    EXPECT_EQ(MaterialEntryFor(*mirror)->correction, -expected) << FenOfCounts(c);
  }
}

TEST(InertMaterialRecords, TableIsColourSymmetric) {
  eval_test::EnsureTables();
  constexpr uint16_t PAIRED = BLACK_KING_EXPOSED | WHITE_KING_EXPOSED | BLACK_MATES_BARE | WHITE_MATES_BARE;
  for (uint32_t index = 0; index < MATERIAL_TABLE_SIZE; ++index) {
    const MaterialCounts c = CountsOfIndex(index);
    const MaterialEntry entry = MaterialEntryOf(c);
    const MaterialEntry mirror = MaterialEntryOf(ColoursSwapped(c));
    ASSERT_EQ(entry.correction, -mirror.correction) << index;
    ASSERT_EQ(entry.flags & ~PAIRED, mirror.flags & ~PAIRED) << index;
    // Each colour's flag turns into the other's.
    ASSERT_EQ((entry.flags & BLACK_KING_EXPOSED) != 0, (mirror.flags & WHITE_KING_EXPOSED) != 0) << index;
    ASSERT_EQ((entry.flags & WHITE_MATES_BARE) != 0, (mirror.flags & BLACK_MATES_BARE) != 0) << index;
  }
}

// The material part, in centipawns for White, of White's men against Black's.
int MaterialCp(const char* white, const char* black) {
  const MaterialCounts c = Counts(white, black);
  const int units = c.pawns[WHITE] - c.pawns[BLACK] +
                    3 * (c.knights[WHITE] + c.bishops[WHITE] - c.knights[BLACK] - c.bishops[BLACK]) +
                    5 * (c.rooks[WHITE] - c.rooks[BLACK]) + 10 * (c.queens[WHITE] - c.queens[BLACK]);
  return (units * PawnUnit + MaterialEntryOf(c).correction) / 32;
}

TEST(InertMaterialRecords, ClassicBalances) {
  eval_test::EnsureTables();
  // Drawn or nearly: a minor or the exchange more without pawns.
  for (const auto& [white, black] : {std::pair{"RB", "R"}, std::pair{"RN", "R"}, std::pair{"BN", "N"},
                                     std::pair{"BN", "B"}, std::pair{"QN", "Q"}, std::pair{"R", "N"},
                                     std::pair{"R", "B"}, std::pair{"BN", "R"}, std::pair{"RR", "RB"}}) {
    EXPECT_GT(MaterialCp(white, black), 0) << white << " v " << black;
    EXPECT_LT(MaterialCp(white, black), 60) << white << " v " << black;
    EXPECT_EQ(MaterialCp(black, white), -MaterialCp(white, black)) << white << " v " << black;
  }
  // A queen against a rook and a minor holds often; against a rook alone
  // it wins, and a minor with a pawn more wins too.
  EXPECT_LT(MaterialCp("Q", "RB"), 100);
  EXPECT_GT(MaterialCp("Q", "R"), 400);
  EXPECT_GT(MaterialCp("RBP", "R"), 300);
  EXPECT_GT(MaterialCp("BN", ""), 500);
  // Pawns against a minor up: each pawn of the defender takes a share.
  EXPECT_GT(MaterialCp("RB", "R"), MaterialCp("RB", "RP"));
  EXPECT_GT(MaterialCp("RB", "RP"), MaterialCp("RB", "RPP"));
  EXPECT_GE(MaterialCp("RB", "RPP"), 0);
  // Two knights against a pawn: the knights keep a little.
  EXPECT_GT(MaterialCp("NN", "P"), 0);
  EXPECT_LT(MaterialCp("NN", "P"), 40);
  // The last pawn is worth little; among more pawns nearly all of it.
  EXPECT_LT(MaterialCp("RP", "R"), 40);
  EXPECT_LT(MaterialCp("RPP", "RP"), 40);
  EXPECT_GT(MaterialCp("RPPPP", "RPPP"), 90);
  EXPECT_LT(MaterialCp("NPP", "N"), 120);
}

TEST(InertMaterial, EdgeRulesOfTheTable) {
  // Pure pawn endings: 2000 per pawn of difference.
  EXPECT_EQ(EntryOf("PPP", "P").correction, 4000);
  EXPECT_EQ(EntryOf("", "PP").correction, -4000);
  EXPECT_EQ(EntryOf("", "").correction, 0);
  // A lone knight or two against the bare king: the balance is cancelled.
  EXPECT_EQ(EntryOf("N", "").correction, -3 * PawnUnit);
  EXPECT_EQ(EntryOf("", "NN").correction, 6 * PawnUnit);
  EXPECT_EQ(EntryOf("N", "PPP").correction, 0);
  // Two bishops with a small table score: 600 more.
  const MaterialCounts pair = Counts("BBPPPP", "BNPPPP");
  const int small = MaterialFormula(pair);
  ASSERT_LT(std::abs(small), 2000);
  EXPECT_EQ(MaterialEntryOf(pair).correction, small / 8 + 600);
}

TEST(InertMaterial, Flags) {
  EXPECT_EQ(EntryOf("QRRBBNNPPPPPPPP", "QRRBBNNPPPPPPPP").flags,
            BLACK_KING_EXPOSED | WHITE_KING_EXPOSED);  // phase 0
  EXPECT_EQ(EntryOf("", "").flags, 24);
  EXPECT_EQ(EntryOf("Q", "R").flags & (BLACK_KING_EXPOSED | WHITE_KING_EXPOSED), 0);
  EXPECT_TRUE(EntryOf("BPP", "BPPPP").flags & BISHOPS_ONLY);
  EXPECT_FALSE(EntryOf("BP", "BPPPP").flags & BISHOPS_ONLY);
  EXPECT_FALSE(EntryOf("BNP", "BP").flags & BISHOPS_ONLY);
  EXPECT_TRUE(EntryOf("R", "").flags & WHITE_MATES_BARE);
  EXPECT_TRUE(EntryOf("", "BN").flags & BLACK_MATES_BARE);
  EXPECT_TRUE(EntryOf("NNN", "").flags & WHITE_MATES_BARE);
  EXPECT_FALSE(EntryOf("NN", "").flags & WHITE_MATES_BARE);
  EXPECT_FALSE(EntryOf("RP", "P").flags & (WHITE_MATES_BARE | BLACK_MATES_BARE));
}

TEST(InertMaterial, BeyondTheRadixThereIsNoEntry) {
  // Two White queens would read as one Black queen if the index were
  // trusted; three rooks carry into the bishops.
  EXPECT_EQ(MaterialEntryFor(*Prepared("4k3/8/8/8/8/8/8/QQ2K3 w - -")), nullptr);
  EXPECT_EQ(MaterialEntryFor(*Prepared("4k3/8/8/8/8/8/8/RRR1K3 w - -")), nullptr);
  EXPECT_NE(MaterialEntryFor(*Prepared("4k3/8/8/8/8/8/8/RR1QK3 w - -")), nullptr);
  // Without an entry: no bare-king short cut, phase 0 (all midgame).
  auto pos = Prepared("4k3/8/8/8/8/8/8/QQ2K3 w - -");
  EXPECT_EQ(TraceRow(*pos, "bare king"), 0);
  EXPECT_EQ(TraceRow(*pos, "material"), 20 * PawnUnit / 32);
}

TEST(InertEval, StartPositionIsTempo) {
  EXPECT_EQ(Evaluate(*Prepared(START_FEN)), Tempo);
  EXPECT_EQ(Evaluate(*Prepared("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -")), Tempo);
}

TEST(InertEval, ClassicBalances) {
  // Two knights cannot force mate: the material part is cancelled.
  auto knn = Prepared("8/8/4k3/8/8/8/8/1N2K1N1 w - -");
  EXPECT_EQ(TraceRow(*knn, "material"), 0);
  EXPECT_LT(std::abs(WhiteView(*knn)), 60);
  // Bishop and knight mate: a clear win, better with the king in the
  // bishop's corner (dark a1/h8 for a dark-squared bishop).
  const int kbn_centre = WhiteView(*Prepared("8/8/8/4k3/8/8/8/2B1KN2 w - -"));
  const int kbn_corner = WhiteView(*Prepared("7k/8/8/8/8/8/8/2B1KN2 w - -"));
  const int kbn_wrong = WhiteView(*Prepared("k7/8/8/8/8/8/8/2B1KN2 w - -"));
  EXPECT_GT(kbn_centre, 500);
  EXPECT_GT(kbn_corner, kbn_centre);
  EXPECT_GT(kbn_corner, kbn_wrong);
  // Rook against a minor: close to a draw, far below the plain 2 pawns.
  for (const char* fen : {"8/8/4k3/4n3/8/8/8/R3K3 w - -", "8/8/4k3/4b3/8/8/8/R3K3 w - -"}) {
    auto pos = Prepared(fen);
    EXPECT_LT(std::abs(TraceRow(*pos, "material")), 40) << fen;
    EXPECT_LT(std::abs(WhiteView(*pos)), 100) << fen;
  }
  // The exchange with pawns stays an advantage.
  EXPECT_GT(TraceRow(*Prepared("4k3/ppp5/8/4n3/8/8/PPP5/R3K3 w - -"), "material"), 150);
}

TEST(InertEval, BareKingShortCut) {
  // King and rook: the drive toward the edge, in centipawns.
  auto centre = Prepared("8/8/8/3k4/8/8/8/R3K3 w - -");
  auto edge = Prepared("3k4/8/3K4/8/8/8/8/R7 w - -");
  EXPECT_NE(TraceRow(*centre, "bare king"), 0);
  EXPECT_GT(WhiteView(*edge), WhiteView(*centre));
  EXPECT_LT(WhiteView(*edge), 1500) << "a material score, far from the mate scores";
  // Mirrored for Black's strength.
  const std::string rook = "R3K3/8/8/8/3k4/8/8/8 w - -";
  EXPECT_EQ(Evaluate(*Prepared(eval_test::MirrorFen(rook))), Evaluate(*Prepared(rook)));
  // Bishops of one colour cannot mate: the normal evaluation follows.
  EXPECT_EQ(TraceRow(*Prepared("8/8/8/3k4/8/4B3/8/2B1K3 w - -"), "bare king"), 0);
  EXPECT_NE(TraceRow(*Prepared("8/8/8/3k4/8/8/8/2BBK3 w - -"), "bare king"), 0);
  // A bare king touching a strong piece: normal evaluation too.
  EXPECT_EQ(TraceRow(*Prepared("8/8/8/3k4/3R4/8/8/4K3 b - -"), "bare king"), 0);
}

TEST(InertEval, OppositeBishopsHalve) {
  auto opposite = Prepared("4k3/pp3b2/8/8/8/8/PPP5/2B1K3 w - -");
  auto same = Prepared("4k3/pp2b3/8/8/8/8/PPP5/2B1K3 w - -");
  EvalTrace trace;
  EvaluateWithTrace(*opposite, trace);
  int before = 0, halving = 0;
  bool seen = false;
  for (int i = 0; i < trace.count; ++i) {
    const std::string stage = trace.rows[i].stage;
    if (stage == "opposite bishops") {
      halving = trace.rows[i].white_view;
      seen = true;
    } else if (!seen && stage != "tempo" && stage != "rounding") {
      before += trace.rows[i].white_view;
    }
  }
  ASSERT_TRUE(seen);
  EXPECT_NEAR(halving, -before / 2, 4);
  EXPECT_EQ(TraceRow(*same, "opposite bishops"), 0);
}

TEST(InertEval, RaceCountsTheSideToMove) {
  // Pawn e5, Black king a5: outside the square with White to move.
  auto white_to_move = Prepared("8/8/8/k3P3/8/8/8/4K3 w - -");
  auto black_to_move = Prepared("8/8/8/k3P3/8/8/8/4K3 b - -");
  EXPECT_TRUE(WinsRace(*white_to_move, WHITE, 36));
  EXPECT_FALSE(WinsRace(*black_to_move, WHITE, 36));
  // From the second rank the pawn steps twice: e2 against a king on a2.
  EXPECT_TRUE(WinsRace(*Prepared("8/8/8/8/8/8/k3P3/7K w - -"), WHITE, 12));
  EXPECT_FALSE(WinsRace(*Prepared("8/8/8/8/8/8/k3P3/7K b - -"), WHITE, 12));
  // Its own king in front costs a move.
  EXPECT_FALSE(WinsRace(*Prepared("4K3/8/8/k3P3/8/8/8/8 w - -"), WHITE, 36));
  // Black's pawns mirror.
  EXPECT_TRUE(WinsRace(*Prepared("4k3/8/8/8/K3p3/8/8/8 b - -"), BLACK, 28));
  EXPECT_GT(TraceRow(*white_to_move, "passed pawns"), UnstoppablePasser / 32 / 2);
}

TEST(InertEval, TrappedAndBlockedPieces) {
  const auto terms = [](const char* fen) { return TrappedAndBlocked(*Prepared(fen)); };
  // A bishop caught on a6 by b5; a second one on h6 by g5 still counts once.
  EXPECT_EQ(terms("4k3/8/B7/1p6/8/8/8/4K3 w - -").mid, -TrappedBishop);
  EXPECT_EQ(terms("4k3/8/B7/1p6/8/8/8/4K3 w - -").end, -TrappedBishop);
  EXPECT_EQ(terms("4k3/8/B6B/1p4p1/8/8/8/4K3 w - -").mid, -TrappedBishop);
  EXPECT_EQ(terms("4k3/8/7B/6p1/8/8/8/4K3 w - -").mid, -TrappedBishop);
  EXPECT_EQ(terms("4k3/8/B7/8/1p6/8/8/4K3 w - -").mid, 0);
  // Black's trap is the same turned over.
  EXPECT_EQ(terms("4k3/8/8/8/1P6/b7/8/4K3 w - -").mid, TrappedBishop);
  // A bishop behind its d2 pawn with a man on d3; nothing without it.
  EXPECT_EQ(terms("4k3/8/8/8/8/3n4/3P4/2B1K3 w - -").mid, -BlockedPiece);
  EXPECT_EQ(terms("4k3/8/8/8/8/8/3P4/2B1K3 w - -").mid, 0);
  EXPECT_EQ(terms("4k3/8/8/8/8/3n4/3P4/2B1K3 w - -").end, 0);
  // A king walked to g1 in front of its h1 rook, for either colour.
  EXPECT_EQ(terms("4k3/8/8/8/8/8/8/6KR w - -").mid, -BlockedPiece);
  EXPECT_EQ(terms("6kr/8/8/8/8/8/8/4K3 w - -").mid, BlockedPiece);
  EXPECT_EQ(terms("4k3/8/8/8/8/8/8/4K2R w - -").mid, 0);
}

TEST(InertEval, KingSafetyOnlyForAnExposedKing) {
  // Black's queen and rook make White's king exposed; without the rook
  // the king terms are off.
  auto exposed = Prepared("4k3/8/8/8/8/8/8/q5rK w - -");
  EXPECT_LT(TraceRow(*exposed, "king safety"), 0);
  auto queen_only = Prepared("4k3/8/8/8/8/8/8/q6K w - -");
  EXPECT_EQ(TraceRow(*queen_only, "king safety"), 0);
  // A castling right to a sheltered wing halves the loss of a bare wing.
  auto centre = Prepared("r3k3/8/8/8/8/8/5PPP/q3K2R w K -");
  auto no_right = Prepared("r3k3/8/8/8/8/8/5PPP/q3K2R w - -");
  EXPECT_GT(TraceRow(*centre, "king safety"), TraceRow(*no_right, "king safety"));
}

TEST(InertPawns, CacheGivesWhatAFreshComputationGives) {
  eval_test::EnsureTables();
  ClearEvalCaches();
  auto same = [](const InertPawnInfo& a, const InertPawnInfo& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  };
  board_test::RandomGamesThereAndBack(7, 60, [&](const Position& pos) {
    const InertPawnInfo fresh = EvaluateInertPawns(pos);
    ASSERT_TRUE(same(ProbeInertPawns(pos), fresh)) << eval_test::FenOf(pos);
    ASSERT_TRUE(same(ProbeInertPawns(pos), fresh)) << "hit: " << eval_test::FenOf(pos);
  });
  // A pawnless board has a zero pawn key, which an empty entry must not
  // answer: its shelters are all open.
  ClearEvalCaches();
  auto bare = Prepared("4k3/8/8/8/8/8/8/Q2RK3 w - -");
  EXPECT_EQ(ProbeInertPawns(*bare).shelter[WHITE][CENTRE_WING], OWN_SHELTER[0] + ENEMY_STORM[0]);
}

TEST(InertPawns, StructureTerms) {
  // Doubled isolated pawns on an open file against one healthy pawn.
  const InertPawnInfo weak = EvaluateInertPawns(*Prepared("4k3/8/8/8/2P5/2P5/8/4K3 w - -"));
  EXPECT_LT(weak.end, 0);
  EXPECT_EQ(weak.passed_files[WHITE], 1 << 2);
  // A passer and a candidate (two against one on the queen side).
  const InertPawnInfo info = EvaluateInertPawns(*Prepared("4k3/p7/8/8/1PP5/8/8/4K3 w - -"));
  EXPECT_EQ(info.passed_files[WHITE], 1 << 2);
  EXPECT_EQ(info.passed_files[BLACK], 0);
  // d3 is backward (its neighbour c4 is ahead of it, its stop square held
  // by e5), open ahead; c4 is passed; e5 is isolated and open.
  const InertPawnInfo backward = EvaluateInertPawns(*Prepared("4k3/8/8/4p3/2P5/3P4/8/4K3 w - -"));
  EXPECT_EQ(backward.mid, IsolatedOpenMid - BackwardOpenMid + 0);
  EXPECT_EQ(backward.end, IsolatedEnd - BackwardEnd);
  EXPECT_EQ(backward.passed_files[WHITE], 1 << 2);
  // Full shield on the king side, broken on the queen side.
  const InertPawnInfo shield = EvaluateInertPawns(*Prepared("4k3/8/8/8/8/8/5PPP/4K3 w - -"));
  EXPECT_EQ(shield.shelter[WHITE][KING_WING], 0);
  EXPECT_EQ(shield.shelter[WHITE][QUEEN_WING], 3000);
  // Black's shield read from Black's side, with a White pawn storming g6
  // (Black's third rank) and h5 (its fourth).
  const InertPawnInfo storm = EvaluateInertPawns(*Prepared("4k3/5ppp/6P1/7P/8/8/8/4K3 w - -"));
  EXPECT_EQ(storm.shelter[BLACK][KING_WING], OWN_SHELTER[7] + 600 + 300);
}

TEST(InertAccumulatorsReal, IncrementalSumsMatchTheBoard) {
  eval_test::EnsureTables();
  board_test::RandomGamesThereAndBack(99, 80, [](const Position& pos) {
    int mid = 0, end = 0, units = 0;
    uint32_t index = 0;
    for (int sq = 0; sq < 64; ++sq) {
      const int code = pos.board[sq];
      if (!code) continue;
      mid += psq_pair[code][sq].mid;
      end += psq_pair[code][sq].end;
      units += INERT_UNIT[code];
      index += INERT_WEIGHT[code];
    }
    ASSERT_EQ(pos.pst_mid, mid) << eval_test::FenOf(pos);
    ASSERT_EQ(pos.pst_end, end) << eval_test::FenOf(pos);
    ASSERT_EQ(pos.material_units, units);
    ASSERT_EQ(pos.material_index, index);
  });
}

TEST(InertSymmetry, MirrorGivesTheSameSideToMoveScore) {
  eval_test::EnsureTables();
  int compared = 0;
  board_test::RandomGamesThereAndBack(2024, 50, [&](const Position& pos) {
    const std::string fen = eval_test::FenOf(pos);
    auto original = board_test::PositionFrom(fen.c_str());
    auto mirror = board_test::PositionFrom(eval_test::MirrorFen(fen).c_str());
    ASSERT_EQ(Evaluate(*original), Evaluate(*mirror)) << fen;
    ++compared;
  });
  for (const char* fen : {"8/8/8/3k4/8/8/8/2B1KN2 b - -", "4k3/pp3b2/8/8/8/8/PPP5/2B1K3 w - -",
                          "r3k2r/ppq2ppp/2n5/8/8/2N5/PPQ2PPP/R3K2R w KQkq -",
                          "6k1/1B3ppp/8/8/8/8/b4PPP/6K1 w - -", "1k6/8/8/8/8/8/8/K2B4 w - -"}) {
    EXPECT_EQ(Evaluate(*Prepared(fen)), Evaluate(*Prepared(eval_test::MirrorFen(fen)))) << fen;
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace

namespace {

// The material score of a configuration for `side`, in internal units.
int SideMaterial(const MaterialCounts& c, int side) {
  const int units = c.pawns[WHITE] - c.pawns[BLACK] +
                    3 * (c.knights[WHITE] + c.bishops[WHITE] - c.knights[BLACK] - c.bishops[BLACK]) +
                    5 * (c.rooks[WHITE] - c.rooks[BLACK]) + 10 * (c.queens[WHITE] - c.queens[BLACK]);
  const int white = units * PawnUnit + MaterialEntryOf(c).correction;
  return side == WHITE ? white : -white;
}

std::string MenOf(const MaterialCounts& c, int side) {
  std::string men = "K";
  men += std::string(c.queens[side], 'Q') + std::string(c.rooks[side], 'R') + std::string(c.bishops[side], 'B') +
         std::string(c.knights[side], 'N') + std::string(c.pawns[side], 'P');
  return men;
}

// Adding a pawn to a side never lowers that side's material score, over
// the whole table in both colours, save where the pawn truly spoils its own
// side's game. The exceptions name the men before the pawn is added, the
// pawn's owner first.
TEST(InertMaterial, AnExtraPawnNeverCostsItsOwner) {
  eval_test::EnsureTables();
  const std::set<std::pair<std::string, std::string>> exceptions = {
      // The bare king's pawn lets two knights mate: it can be made to move.
      {"K", "KNN"},
  };
  int violations = 0;
  std::string first;
  for (uint32_t index = 0; index < MATERIAL_TABLE_SIZE; ++index) {
    const MaterialCounts c = CountsOfIndex(index);
    for (int side = 0; side < 2; ++side) {
      if (c.pawns[side] >= 8) continue;
      MaterialCounts more = c;
      ++more.pawns[side];
      if (SideMaterial(more, side) >= SideMaterial(c, side)) continue;
      if (exceptions.count({MenOf(c, side), MenOf(c, side ^ 1)})) continue;
      if (++violations <= 10) first += MenOf(c, WHITE) + " v " + MenOf(c, BLACK) + (side == WHITE ? " +P(W); " : " +P(B); ");
    }
  }
  EXPECT_EQ(violations, 0) << first;
}

}  // namespace
