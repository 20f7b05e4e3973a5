// The common evaluation entry, dispatching to the personality built in.
#include "eval/evaluate.h"

#include "eval/active/pawn_info.h"
#include "eval/eval_cache.h"
#include "eval/inert/inert_init.h"
#include "eval/passive/passive_tables.h"
#include "eval/personality.h"
#include "eval/search_root.h"
#include "platform/build_flavour.h"

int Evaluate(const Position& pos) { return EvaluatePersonality(pos, nullptr); }

int EvaluateWithTrace(const Position& pos, EvalTrace& trace) {
  trace = EvalTrace{};
  return EvaluatePersonality(pos, &trace);
}

void PrefetchEvaluationByKey(uint64_t key) {
  if constexpr (!BUILD_INERT) PrefetchEvalCache(key);  // the Inert evaluation keeps no cache
}

void PrefetchEvaluation(const Position& pos) {
  PrefetchEvaluationByKey(pos.key);
  if constexpr (BUILD_ACTIVE) PrefetchPawnCache(pos.pawn_key);
}

void PrepareEvaluation(bool new_game, int root_side, int root_castling) {
  if (new_game) {
    ClearEvalCaches();
    return;
  }
  if constexpr (BUILD_ACTIVE) {
    BuildKingDangerTables(root_side);
    eval_root.side = root_side;
    eval_root.castling = root_castling;
  }
}

void ClearEvalCaches() {
  if constexpr (!BUILD_INERT) ClearEvalCache();  // the Inert evaluation keeps no cache
  ClearPersonalityCaches();
}

void InitEvaluation() {
  if constexpr (BUILD_PASSIVE) passive::InitPassiveTables();
  if constexpr (BUILD_INERT) inert::InitInertEvaluation();
  if constexpr (!BUILD_INERT) AdviseEvalCacheHugePages();
  if constexpr (BUILD_ACTIVE) AdvisePawnCacheHugePages();
  ClearEvalCaches();
}

void SetOpponentIsComputer(bool computer) { eval_root.opponent_is_computer = computer; }
