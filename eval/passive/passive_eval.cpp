// Passive personality placeholder: material balance only, until its own
// evaluation is written.
#include "eval/eval_cache.h"
#include "eval/material_info.h"
#include "eval/personality.h"

int EvaluatePersonality(const Position& pos, EvalTrace* trace) {
  const int balance = BuildMaterialInfo(pos.material).balance;
  if (trace) trace->Add("material", balance);
  return FadeByFiftyClock(pos.side == WHITE ? balance : -balance, pos.state.fifty_clock);
}

void ClearPersonalityCaches() {}
