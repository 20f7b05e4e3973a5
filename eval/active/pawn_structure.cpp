// Pawn structure: isolated, backward, doubled, passed and candidate pawns,
// levers, pawn mobility and blocked chains.
#include <initializer_list>
#include "eval/active/pawn_structure.h"

#include "eval/active/pawn_geometry.h"
#include "eval/search_root.h"

namespace {

// The pawn square table (named apart from the piece kind).
namespace table {
// clang-format off
const int PAWN[64] = {
   0,   0,   0,   0,   0,   0,   0,   0,
  25,  28,  31,  34,  34,  31,  28,  25,
  22,  25,  28,  31,  31,  28,  25,  22,
   9,  12,  15,  18,  18,  15,  12,   9,
   6,   9,  12,  15,  15,  12,   9,   6,
   3,   6,   9,  12,  12,   9,   6,   3,
   0,   3,   6,  -7,  -7,   6,   3,   0,
   0,   0,   0,   0,   0,   0,   0,   0,
};
// clang-format on
}  // namespace table

// By relative rank 1..8 (index 0 = rank 1) or by count, as named.
const int PASSED[8] = {0, 8, 16, 32, 60, 120, 160, 0};
const int DOUBLED[8] = {0, 0, 5, 10, 20, 25, 30, 0};
const int LEVER[8] = {0, 0, 0, 0, 0, 16, 24, 0};
const int ISOLATED[9] = {0, 12, 24, 56, 66, 80, 90, 100, 110};
const int ISOLATED_OPEN[9] = {0, 5, 10, 15, 20, 25, 30, 35, 40};
const int BLOCKED[9] = {0, 0, 6, 24, 40, 64, 80, 94, 96};

// The pawns of one side as the per-pawn terms see them.
struct PawnSide {
  int side;
  Bitboard own;
  Bitboard enemy;
  Bitboard all;
  Bitboard own_reach;  // own reachable squares
};

// What the per-pawn loop gathers for one side besides its score.
struct PawnCounts {
  int isolated = 0;
  int isolated_open = 0;
  int mobile = 0;
  uint8_t passed_files = 0;
  uint8_t candidate_files = 0;
};

// Enemy pawns attacking sq; own pawns defending it.
int EnemyAttackers(const PawnSide& ps, int sq) { return PawnsHitting(ps.side ^ 1, ps.enemy, sq); }
int OwnDefenders(const PawnSide& ps, int sq) { return PawnsHitting(ps.side, ps.own, sq); }

// Own reachable squares from which a pawn could defend sq.
int ReachDefenders(const PawnSide& ps, int sq) { return PawnsHitting(ps.side, ps.own_reach, sq); }

// The pawn can still move forward: walking up to three squares, it meets
// an attacked square before a blocked one, and the attack is not too
// strong for the pawns that can come to its defence.
bool CountsAsMobile(const PawnSide& ps, int sq) {
  int s = sq;
  for (int i = 0; i < 3 && RelativeRank(ps.side, s) < 7; ++i) {
    const int attackers = EnemyAttackers(ps, s);
    if (attackers - ReachDefenders(ps, s) >= 2) return false;
    if (attackers >= 1) return true;
    const int next = StepAhead(ps.side, s);
    if (RelativeRank(ps.side, next) < 7 && (ps.all & Bit(next))) return false;
    s = next;
  }
  return true;
}

// The nearest own pawn behind sq on a neighbouring file can walk up to the
// rank just behind sq on squares no enemy pawn attacks and no pawn blocks.
bool NeighbourCanComeUp(const PawnSide& ps, int sq, int file) {
  if (file < 0 || file > 7) return false;
  const Bitboard helpers = ps.own & FileMask(file) & RanksBehind(ps.side, sq);
  if (!helpers) return false;
  const int target_rank = RelativeRank(ps.side, sq) - 1;
  int s = MostAdvanced(ps.side, helpers);
  for (;;) {
    if (EnemyAttackers(ps, s)) return false;
    if (RelativeRank(ps.side, s) >= target_rank) return true;
    s = StepAhead(ps.side, s);
    if (ps.all & Bit(s)) return false;
  }
}

// Penalty of a backward pawn (0 when it is not backward).
int BackwardPenalty(const PawnSide& ps, int sq) {
  if (ps.enemy & FileAhead(ps.side, sq)) return 0;
  if (OwnDefenders(ps, sq) > EnemyAttackers(ps, sq)) return 0;
  const int front = StepAhead(ps.side, sq);
  const int a = EnemyAttackers(ps, front), d = OwnDefenders(ps, front);
  if (a == 0 || a < d) return 0;
  const int file = FileOf(sq);
  if (NeighbourCanComeUp(ps, sq, file - 1) || NeighbourCanComeUp(ps, sq, file + 1)) return 0;
  return a - d == 2 ? 20 : 12;
}

// Terms of a pawn with a friend on a neighbouring file.
int ConnectedPawnTerms(const PawnSide& ps, int sq, PawnCounts& counts) {
  if (CountsAsMobile(ps, sq)) ++counts.mobile;
  int score = -BackwardPenalty(ps, sq);
  const int on_file = BitCount(ps.own & FileMask(FileOf(sq)));
  if (on_file >= 2) score -= Saturated(DOUBLED, on_file);
  const Bitboard beside = (FileOf(sq) > 0 ? Bit(sq - 1) : 0) | (FileOf(sq) < 7 ? Bit(sq + 1) : 0);
  if (ps.own & beside) score += 2;
  return score;
}

// A pawn that cannot be stopped by enemy pawns once it gets past its first
// attacked square.
bool IsCandidate(const PawnSide& ps, int sq) {
  if ((ps.enemy & FileMask(FileOf(sq))) || EnemyAttackers(ps, sq)) return false;
  int s = sq;
  for (;;) {
    const int next = StepAhead(ps.side, s);
    if (RelativeRank(ps.side, next) == 7 || (ps.all & Bit(next))) break;
    s = next;
    if (EnemyAttackers(ps, s)) break;
  }
  if (EnemyAttackers(ps, s) > ReachDefenders(ps, s)) return false;
  return !(ps.enemy & front_span[StepAhead(ps.side, s)][ps.side]);
}

// A wing pawn backed by own pawns on the two files toward the centre where
// the enemy is thin: a majority that can make a passer.
bool IsMajorityCandidate(const PawnSide& ps, int file) {
  const int toward = file >= 4 ? -1 : 1;
  auto own_on = [&](int f) { return (ps.own & FileMask(f)) != 0; };
  auto enemy_on = [&](int f) { return BitCount(ps.enemy & FileMask(f)); };
  return own_on(file + toward) && own_on(file + 2 * toward) && !enemy_on(file) &&
         !enemy_on(file + 2 * toward) && !enemy_on(file + 3 * toward) && enemy_on(file + toward) < 3;
}

// A supporter diagonally behind on file `beyond - direction`, with no enemy
// pawn ahead of it on its file nor on the file beyond (when on the board).
bool LeverSupporter(const PawnSide& ps, int sq, int direction) {
  const int file = FileOf(sq) + direction;
  if (file < 0 || file > 7) return false;
  const int supporter = sq - pawn_step[ps.side] + direction;
  if (!(ps.own & Bit(supporter))) return false;
  Bitboard watch = FileMask(file);
  if (file + direction >= 0 && file + direction <= 7) watch |= FileMask(file + direction);
  return !(ps.enemy & watch & RanksAhead(ps.side, supporter));
}

// Bonus of a blocked pawn on its 6th or 7th rank that a neighbour can
// lever open.
int LeverBonus(const PawnSide& ps, int sq) {
  const int rank = RelativeRank(ps.side, sq);
  if (LEVER[rank] == 0) return 0;
  const int front = StepAhead(ps.side, sq);
  if (!(ps.enemy & Bit(front)) || (ps.enemy & front_span[front][ps.side])) return 0;
  if (LeverSupporter(ps, sq, +1) || LeverSupporter(ps, sq, -1)) return LEVER[rank];
  return 0;
}

// Score of one pawn from its owner's view; updates the side's counts.
int PawnTerms(const PawnSide& ps, int sq, PawnInfo& info, PawnCounts& counts) {
  const int file = FileOf(sq);
  info.open_files &= ~(1 << file);
  int score = FromPrinted(table::PAWN, ps.side, sq);
  const bool isolated = !(ps.own & NeighbourFiles(file));
  if (!isolated) {
    score += ConnectedPawnTerms(ps, sq, counts);
  } else {
    ++counts.isolated;
    if (!(ps.enemy & FileAhead(ps.side, sq))) ++counts.isolated_open;
  }
  const int rank = RelativeRank(ps.side, sq);
  if (!(ps.enemy & front_span[sq][ps.side])) {
    score += (ps.own & FileBehind(ps.side, sq)) ? PASSED[rank] >> 1 : PASSED[rank];
    counts.passed_files |= 1 << file;
    return score;
  }
  if (!isolated && IsCandidate(ps, sq)) {
    counts.candidate_files |= 1 << file;
  } else if (IsMajorityCandidate(ps, file)) {
    counts.candidate_files |= 1 << file;
  }
  return score + LeverBonus(ps, sq);
}

// All per-pawn terms of one side, from its own view.
int SidePawnTerms(const PawnSide& ps, PawnInfo& info, PawnCounts& counts) {
  int score = 0;
  for (Bitboard b = ps.own; b; b &= b - 1) score += PawnTerms(ps, FirstBit(b), info, counts);
  return score;
}

// Pawns blocked head to head, charged to the engine's own side when it
// plays a person: locked chains make draws.
int BlockedChains(const Position& pos) {
  if (eval_root.opponent_is_computer) return 0;
  const int side = eval_root.side;
  if (BitCount(pos.bitboards[PAWN][side]) < 6) return 0;
  const int blocked = BitCount((pos.bitboards[PAWN][WHITE] << 8) & pos.bitboards[PAWN][BLACK]);
  return -SignOf(side) * Saturated(BLOCKED, blocked);
}

}  // namespace

Bitboard ReachableSquares(int side, Bitboard own, Bitboard enemy) {
  const Bitboard all = own | enemy;
  Bitboard reach = 0;
  for (Bitboard b = own; b; b &= b - 1) {
    int s = FirstBit(b);
    if (RelativeRank(side, s) > 5) continue;
    for (;;) {
      reach |= Bit(s);
      const int next = StepAhead(side, s);
      if (RelativeRank(side, next) > 5 || (all & Bit(next))) break;
      if (PawnsHitting(side ^ 1, enemy, next) > PawnsHitting(side, own, next)) break;
      s = next;
    }
  }
  return reach;
}

void EvaluatePawnStructure(const Position& pos, PawnInfo& info) {
  info = PawnInfo{};
  const Bitboard pawns[2] = {pos.bitboards[PAWN][BLACK], pos.bitboards[PAWN][WHITE]};
  info.all_pawns = pawns[BLACK] | pawns[WHITE];
  info.open_files = 0xFF;
  PawnCounts counts[2];
  int score = 0;
  for (int side : {BLACK, WHITE}) {
    const PawnSide ps{side, pawns[side], pawns[side ^ 1], info.all_pawns,
                      ReachableSquares(side, pawns[side], pawns[side ^ 1])};
    score += SignOf(side) * SidePawnTerms(ps, info, counts[side]);
    info.pawn_files[side] = FilesOf(pawns[side]);
    info.passed_files[side] = counts[side].passed_files;
    info.candidate_files[side] = counts[side].candidate_files;
  }
  score += Saturated(ISOLATED, counts[BLACK].isolated) - Saturated(ISOLATED, counts[WHITE].isolated);
  score += Saturated(ISOLATED_OPEN, counts[BLACK].isolated_open) -
           Saturated(ISOLATED_OPEN, counts[WHITE].isolated_open);
  if (BitCount(pawns[WHITE]) >= 5 && BitCount(pawns[BLACK]) >= 5) {
    for (int side : {BLACK, WHITE})
      if (counts[side].mobile < 3) score -= SignOf(side) * 12 * (3 - counts[side].mobile);
  }
  score += BlockedChains(pos);
  EvaluateShelter(pos, info);
  info.distribution_flags = PasserDistributionFlags(pos, info);
  info.score = static_cast<int16_t>(score);
}
