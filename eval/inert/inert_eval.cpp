// Inert personality placeholder: material balance only, until its own
// evaluation is written.
#include "eval/material_info.h"
#include "eval/personality.h"

int EvaluatePersonality(const Position& pos, EvalTrace* trace) {
  const int balance = BuildMaterialInfo(pos.material).balance;
  if (trace) trace->Add("material", balance);
  return pos.side == WHITE ? balance : -balance;
}

void ClearPersonalityCaches() {}
