// The Active evaluation in its fixed order: cache, material, drawn and
// unwinnable endings, pawns, kings and pieces, scaling, cache store, fade.
#include <algorithm>

#include "eval/active/king_terms.h"
#include "eval/active/passed_pawns.h"
#include "eval/active/pawn_info.h"
#include "eval/active/pieces.h"
#include "eval/eval_cache.h"
#include "eval/material_info.h"
#include "eval/pawnless.h"
#include "eval/personality.h"
#include "eval/scaling.h"
#include "eval/winnability.h"

namespace {

// Adds each stage's amount to the running score and, when tracing,
// records it.
struct Stages {
  EvalTrace* trace;
  int score = 0;

  void Add(const char* stage, int amount) {
    score += amount;
    if (trace) trace->Add(stage, amount);
  }
  // Records the change a scaling step made.
  void ScaleTo(const char* stage, int scaled) { Add(stage, scaled - score); }
  void Exit(const char* note) {
    if (trace) trace->exit_note = note;
  }
};

// White's view turned to the side to move's.
int ForSideToMove(const Position& pos, int white_view) { return pos.side == WHITE ? white_view : -white_view; }

// Keeps a score clear of the cache's empty mark and inside 16 bits.
int FitScore(int score) { return std::clamp(score, -32767, 32767); }

}  // namespace

int EvaluatePersonality(const Position& pos, EvalTrace* trace) {
  int cached;
  if (!trace && ProbeEvalCache(pos.key, pos.material, &cached))
    return FadeByFiftyClock(cached, pos.state.fifty_clock);

  Stages stages{trace};
  MaterialInfo mi = BuildMaterialInfo(pos.material);
  stages.Add("material", mi.balance);
  stages.Add("imbalance", Imbalance(mi));

  const bool any_pawn = pos.bitboards[PAWN][WHITE] | pos.bitboards[PAWN][BLACK];
  int flags = BOTH_CAN_WIN;
  if (mi.piece_material[WHITE] <= 12 && mi.piece_material[BLACK] <= 12) {
    flags = WinnabilityFlags(pos, mi);
    if (BareKingStalemate(pos)) flags = 0;
    if (flags == 0 && any_pawn) {
      stages.Exit("nobody can win");
      return 0;
    }
  }
  if (!any_pawn) {
    stages.Add("pawnless ending", PawnlessTerm(pos, mi));
    stages.ScaleTo("pawnless scaling", ScalePawnless(stages.score, flags));
    stages.Exit("no pawns: not cached, not faded");
    return ForSideToMove(pos, stages.score);
  }

  PawnInfo info;
  ProbePawnStructure(pos, info);
  stages.Add("pawn structure", info.score);
  stages.Add("passed pawns", PassedPawnTerms(pos, mi, info));
  stages.Add("pawn race", PawnRace(pos, mi, info));
  stages.Add("passer distribution", PasserDistribution(pos, mi, info));

  stages.Add("trapped bishops", TrappedBishops(pos));
  stages.Add("castling", CastlingTerms(pos, info));
  stages.Add("king danger", KingDangerStage(pos, mi, info));

  int units[2] = {0, 0};
  stages.Add("king placement", KingPlacement(pos, mi));
  stages.Add("pieces", PieceTerms(pos, mi, info, units));
  stages.Add("king safety", KingSafety(mi, units));

  stages.ScaleTo("opposite bishops", ScaleOppositeBishops(pos, mi, stages.score));
  stages.ScaleTo("winnability clamp", ClampToWinnability(stages.score, flags));

  const int score = FitScore(ForSideToMove(pos, stages.score));
  StoreEvalCache(pos.key, pos.material, score);
  return FadeByFiftyClock(score, pos.state.fifty_clock);
}

void ClearPersonalityCaches() { ClearPawnCache(); }
