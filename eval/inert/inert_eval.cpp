// The Inert evaluation in its fixed order: material from the table, the
// bare-king short cut, piece-square sums, pawns, pieces, kings, passers,
// trapped pieces, opposite bishops, then the taper and the tempo. No
// evaluation cache, no fifty-move fade, no clamp.
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "board/attacks.h"

#include "eval/eval_geometry.h"
#include "eval/inert/inert_init.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/inert_psq.h"
#include "eval/inert/inert_terms.h"
#include "eval/inert/material_table.h"
#include "eval/pawnless.h"
#include "eval/personality.h"

namespace inert {
namespace {

// Mating corner table for bishop and knight: high in the a1 and h8
// corners (dark squares), printed rank 8 first.
constexpr int KBN_CORNER[64] = {
    10,  15,  20,  25,  70,  80,  90,  100,  // 8
    15,  10,  25,  50,  60,  70,  80,  90,   // 7
    20,  25,  30,  40,  50,  60,  70,  80,   // 6
    25,  50,  40,  30,  40,  50,  60,  70,   // 5
    70,  60,  50,  40,  30,  40,  50,  25,   // 4
    80,  70,  60,  50,  40,  30,  25,  20,   // 3
    90,  80,  70,  60,  50,  25,  10,  15,   // 2
    100, 90,  80,  70,  25,  20,  15,  10,   // 1
};

// Tracing of each stage's tapered contribution, in centipawns.
struct Stages {
  EvalTrace* trace;
  int phase;

  void Add(const char* stage, const Tapered& t) const {
    if (trace) trace->Add(stage, ((PhaseDivisor - phase) * t.mid + phase * t.end) / PhaseDivisor / UnitDivisor);
  }
};

int ForSideToMove(const Position& pos, int white_view) {
  return pos.side == WHITE ? Tempo + white_view : Tempo - white_view;
}

// The strong side mates a bare king: true with the short-cut score (White's
// view, centipawns) in *score.
bool BareKingScore(const Position& pos, uint16_t flags, int base, int* score) {
  const int strong = (flags & WHITE_MATES_BARE) ? WHITE : (flags & BLACK_MATES_BARE) ? BLACK : -1;
  if (strong < 0) return false;
  const int weak = strong ^ 1;
  const Bitboard bishops = pos.bitboards[BISHOP][strong];
  const bool heavy_or_knight =
      pos.bitboards[ROOK][strong] | pos.bitboards[QUEEN][strong] | pos.bitboards[KNIGHT][strong];
  const bool one_colour = !(bishops & LIGHT_SQUARES) || !(bishops & DARK_SQUARES);
  if (!heavy_or_knight && one_colour) return false;
  const int weak_king = pos.king_square[weak];
  if (king_attacks[weak_king] & pos.bitboards[ALL_PIECES][strong]) return false;
  const bool kbn = !(pos.bitboards[ROOK][strong] | pos.bitboards[QUEEN][strong]) && SingleBit(bishops);
  int s = weak_king;
  if (bishops & LIGHT_SQUARES) s ^= 7;
  const int corner = kbn ? KBN_CORNER[FlipRank(s)] : EDGE[FlipRank(s)];
  const int m = (3 - distance[pos.king_square[WHITE]][pos.king_square[BLACK]]) * 15 + 2 * corner;
  // The material part is turned into centipawns like every other score:
  // left in internal units it would pass the mate scores.
  *score = base / UnitDivisor + (strong == WHITE ? m : -m);
  return true;
}

// Both colours of square hold a bishop.
bool OppositeBishops(const Position& pos) {
  const Bitboard bishops = pos.bitboards[BISHOP][WHITE] | pos.bitboards[BISHOP][BLACK];
  return (bishops & LIGHT_SQUARES) && (bishops & DARK_SQUARES);
}

}  // namespace

void InitInertEvaluation() {
  FillPieceSquarePairs();
  BuildKingZones();
  BuildMaterialTable();
}

}  // namespace inert

using namespace inert;

int EvaluatePersonality(const Position& pos, EvalTrace* trace) {
  // 1. Material: units and the table's correction.
  int base = pos.material_units * PawnUnit;
  uint16_t flags = 0;
  if (const MaterialEntry* entry = MaterialEntryFor(pos)) {
    base += entry->correction;
    flags = entry->flags;
  }
  const int phase = flags & PHASE_MASK;
  const Stages stages{trace, phase};

  // 2. A bare king against mating material.
  int bare_score;
  if (BareKingScore(pos, flags, base, &bare_score)) {
    if (trace) {
      trace->Add("bare king", bare_score);
      trace->Add("tempo", pos.side == WHITE ? Tempo : -Tempo);
      trace->exit_note = "bare king: material and mating drive only";
    }
    return ForSideToMove(pos, bare_score);
  }

  // 3. Material, piece-square sums and the pawn structure.
  Tapered total;
  total.Add(base, base);
  stages.Add("material", {base, base});
  const Tapered psq{pos.pst_mid, pos.pst_end};
  total.Add(psq.mid, psq.end);
  stages.Add("piece squares", psq);
  const InertPawnInfo pawns = ProbeInertPawns(pos);
  total.Add(pawns.mid, pawns.end);
  stages.Add("pawn structure", {pawns.mid, pawns.end});

  // 4-7. Pieces, kings, passed pawns, trapped and blocked pieces.
  PieceAttacks attacks;
  const Tapered pieces = PieceTerms(pos, flags, attacks);
  const Tapered kings = KingSafety(pos, flags, pawns, attacks);
  const Tapered passers = PassedPawnTerms(pos, pawns, attacks);
  const Tapered trapped = TrappedAndBlocked(pos);
  for (const auto& [name, part] : {std::pair{"pieces", pieces}, std::pair{"king safety", kings},
                                   std::pair{"passed pawns", passers}, std::pair{"trapped, blocked", trapped}}) {
    total.Add(part.mid, part.end);
    stages.Add(name, part);
  }

  // 8. Opposite bishops halve everything.
  if ((flags & BISHOPS_ONLY) && OppositeBishops(pos)) {
    const Tapered halved{total.mid / 2, total.end / 2};
    stages.Add("opposite bishops", {halved.mid - total.mid, halved.end - total.end});
    total = halved;
  }

  // 9. Taper, units, tempo.
  const int score = ((PhaseDivisor - phase) * total.mid + phase * total.end) / PhaseDivisor / UnitDivisor;
  if (trace) {
    int traced = 0;
    for (int i = 0; i < trace->count; ++i) traced += trace->rows[i].white_view;
    trace->Add("rounding", score - traced);
    trace->Add("tempo", pos.side == WHITE ? Tempo : -Tempo);
  }
  return ForSideToMove(pos, score);
}

void ClearPersonalityCaches() { ClearInertPawnCache(); }
