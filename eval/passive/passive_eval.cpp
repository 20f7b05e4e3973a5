// The Passive evaluation in its fixed order: cache, material table, the
// bare-king mate, piece-square sums, pawns, draw scales, tempo, pieces,
// passed pawns, king safety, blend by phase, scaling, cache store, fade.
#include <algorithm>

#include "board/attacks.h"
#include "eval/eval_cache.h"
#include "eval/eval_geometry.h"
#include "eval/pawnless.h"
#include "eval/passive/material_table.h"
#include "eval/passive/passive_tables.h"
#include "eval/passive/passive_terms.h"
#include "eval/passive/pawn_structure.h"
#include "eval/passive/recognizers.h"
#include "eval/personality.h"

using namespace passive;

namespace {

constexpr Pair TEMPO = {20, 10};

// Scores stay inside the search's mate bound, so no evaluation reads as a
// mate.
constexpr int SCORE_LIMIT = 29288;

// Adds each stage's pair to the running pair and, when tracing, records
// what the stage changed in the blended score.
struct Stages {
  EvalTrace* trace;
  int phase;
  Pair sum;

  void Add(const char* stage, Pair amount) {
    const int before = Blend(sum, phase);
    sum += amount;
    if (trace) trace->Add(stage, Blend(sum, phase) - before);
  }
  void Note(const char* stage, int amount) {
    if (trace) trace->Add(stage, amount);
  }
  void Exit(const char* note) {
    if (trace) trace->exit_note = note;
  }
};

// White's view turned to the side to move's, stored and faded.
int Finish(const Position& pos, int white_view) {
  const int score = pos.side == WHITE ? white_view : -white_view;
  StoreEvalCache(pos.key, pos.material, score);
  return FadeByFiftyClock(score, pos.state.fifty_clock);
}

// The side whose bare-king mate the evaluation steers, or -1. A lone king
// that attacks a piece, or bishops of one colour alone, take the normal
// path.
int MatingSide(const Position& pos, const MaterialEntry& entry) {
  for (int strong = BLACK; strong <= WHITE; ++strong) {
    if (!(entry.flags[strong] & CAN_MATE_BARE_KING)) continue;
    if (king_attacks[pos.king_square[strong ^ 1]] & pos.bitboards[ALL_PIECES][strong]) return -1;
    const Bitboard bishops = pos.bitboards[BISHOP][strong];
    const bool only_bishops = !(pos.bitboards[KNIGHT][strong] | pos.bitboards[ROOK][strong] |
                                pos.bitboards[QUEEN][strong]);
    if (only_bishops && (!(bishops & LIGHT_SQUARES) || !(bishops & DARK_SQUARES))) return -1;
    return strong;
  }
  return -1;
}

// Drives the bare king to the edge, or with bishop and knight to a corner
// the bishop covers; White's view.
int MateBareKing(const Position& pos, const MaterialEntry& entry, int strong) {
  const int weak_king = pos.king_square[strong ^ 1];
  const Bitboard bishops = pos.bitboards[BISHOP][strong];
  const bool single_bishop = SingleBit(bishops) && !(pos.bitboards[ROOK][strong] | pos.bitboards[QUEEN][strong]);
  const int* corner = single_bishop ? KBN_CORNER : EDGE;
  const int sq = (bishops & LIGHT_SQUARES) ? weak_king ^ 7 : weak_king;
  const int drive = (3 - KingDistance(pos.king_square[strong], weak_king)) * 15 + 2 * corner[FlipRank(sq)];
  return (strong == WHITE ? drive : -drive) + entry.end;
}

// The draw scales of both sides in sixteenths, after the endgame rules.
void DrawScales(const Position& pos, const MaterialEntry& entry, int scale[2]) {
  scale[BLACK] = ScaleOf(ScaleIndex(entry, BLACK));
  scale[WHITE] = ScaleOf(ScaleIndex(entry, WHITE));
  ApplyPawnRules(pos, entry, scale);
  if (RecognizerTableDraw(pos)) scale[BLACK] = scale[WHITE] = 1;
}

// A bishop each on squares of different colours, pawns near level.
bool OppositeBishops(const Position& pos, const MaterialEntry& entry) {
  if (!(entry.flags[BLACK] & BISHOPS_AND_PAWNS)) return false;
  // In the MP builds a torn cache read can pass its check with another
  // signature's flags: the board must have the bishops the flag names.
  const Bitboard white = pos.bitboards[BISHOP][WHITE];
  const Bitboard black = pos.bitboards[BISHOP][BLACK];
  if (white == 0 || black == 0) return false;
  return SquareColour(FirstBit(white)) != SquareColour(FirstBit(black));
}

}  // namespace

int EvaluatePersonality(const Position& pos, EvalTrace* trace) {
  int cached;
  if (!trace && ProbeEvalCache(pos.key, pos.material, &cached))
    return FadeByFiftyClock(cached, pos.state.fifty_clock);

  const MaterialEntry entry = FetchMaterialEntry(pos.material);
  Stages stages{trace, entry.phase, {}};

  const int strong = MatingSide(pos, entry);
  if (strong >= 0) {
    const int score = MateBareKing(pos, entry, strong);
    stages.Note("mating a bare king", score);
    stages.Exit("bare king: mating drive only");
    return Finish(pos, score);
  }

  stages.Add("material", {entry.mid, entry.end});
  stages.Add("piece squares", {pos.pst_mid, pos.pst_end});
  const PawnStructure pawns = ProbePawns(pos);
  stages.Add("pawn structure", pawns.score);

  int scale[2];
  DrawScales(pos, entry, scale);
  if (scale[BLACK] == 0 && scale[WHITE] == 0) {
    // The rows still add up to the result: the scale takes all they gave.
    stages.Note("draw scale", -Blend(stages.sum, entry.phase));
    stages.Exit("neither side can win");
    return 0;
  }

  stages.Add("tempo", pos.side == WHITE ? TEMPO : Pair{} - TEMPO);
  const TermInput in = MakeTermInput(pos, entry, pawns);
  stages.Add("trapped pieces", TrappedPieces(pos));
  stages.Add("pieces", PieceTerms(in));
  stages.Add("passed pawns", PassedPawns(in));
  stages.Add("king safety", KingSafety(in));

  const int blended = Blend(stages.sum, entry.phase);
  if (OppositeBishops(pos, entry))
    for (int& s : scale) s = s == 16 ? 8 : s;
  int score = (blended * scale[blended > 0 ? WHITE : BLACK]) >> 4;
  stages.Note("draw scale", score - blended);
  const int clamped = std::clamp(score, -SCORE_LIMIT, SCORE_LIMIT);
  stages.Note("clamp", clamped - score);
  return Finish(pos, clamped);
}

void ClearPersonalityCaches() {
  ClearMaterialCache();
  ClearPassivePawnCache();
}
