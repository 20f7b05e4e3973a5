// Pawn races against a side without pieces: king and pawn against king,
// then unstoppable passers counted in moves to promotion.
#include <algorithm>

#include "eval/active/passed_pawns.h"
#include "eval/active/pawn_geometry.h"

namespace {

inline constexpr int RACE_WIN = 575;
inline constexpr int KPK_WIN = 525;
inline constexpr int NO_RUNNER = 8;

// The king of the side with the pawn may take the opposition.
bool OppositionHolds(const Position& pos, int pawn_side) {
  const int wk = pos.king_square[WHITE], bk = pos.king_square[BLACK];
  if (RankDistance(wk, bk) < 2) return true;
  if (pos.side == pawn_side) return true;
  return FileDistance(wk, bk) % 2 == 0 && RankDistance(wk, bk) % 2 == 0;
}

// King and pawn(s) against king for side (own view): its king in front of
// its leading pawn wins in the known cases.
int KingPawnKing(const Position& pos, int side) {
  const int enemy = side ^ 1;
  const int pawn = MostAdvanced(side, pos.bitboards[PAWN][side]);
  const int king = pos.king_square[side], enemy_king = pos.king_square[enemy];
  const int ahead = RelativeRank(side, king) - RelativeRank(side, pawn);
  if (ahead <= 0) return 0;
  const int file = FileOf(pawn);
  if (file == 0 || file == 7) {
    const int corner = SquareOf(file, side == WHITE ? 7 : 0);
    const bool beside = FileOf(king) == (file == 0 ? 1 : 6);
    return beside && KingDistance(king, corner) < KingDistance(enemy_king, corner) ? KPK_WIN : 0;
  }
  if (KingDistance(king, pawn) >= KingDistance(enemy_king, pawn)) return 0;
  if (ahead >= 2 || RelativeRank(side, king) == 5) return KPK_WIN;
  return ahead == 1 && OppositionHolds(pos, side) ? KPK_WIN : 0;
}

// A runner and the moves it needs.
struct Runner {
  int moves = NO_RUNNER;
  int pawn = -1;
};

// Keeps the runner when it promotes sooner than the best so far.
void Consider(Runner& best, int side, int pawn, int own_king) {
  const int moves = MovesToPromote(side, pawn, own_king);
  if (moves < best.moves) best = {moves, pawn};
}

// The side's fastest passer the enemy king cannot catch; the outermost
// pair of passers also counts when the king cannot stop both.
Runner FastestRunner(const Position& pos, const PawnInfo& info, int side) {
  Runner best;
  const uint8_t files = info.passed_files[side];
  const int own_king = pos.king_square[side], enemy_king = pos.king_square[side ^ 1];
  for (int file = 0; file < 8; ++file) {
    if (!(files & (1 << file))) continue;
    const int pawn = MostAdvanced(side, pos.bitboards[PAWN][side] & FileMask(file));
    if (!KingCatchesPawn(side, pawn, enemy_king, pos.side)) Consider(best, side, pawn, own_king);
  }
  const int lo = LowFile(files), hi = HighFile(files);
  if (files && hi - lo >= 2) {
    const int left = MostAdvanced(side, pos.bitboards[PAWN][side] & FileMask(lo));
    const int right = MostAdvanced(side, pos.bitboards[PAWN][side] & FileMask(hi));
    if (!KingCatchesPawn(side, left, right, pos.side)) Consider(best, side, left, own_king);
    if (!KingCatchesPawn(side, right, left, pos.side)) Consider(best, side, right, own_king);
  }
  return best;
}

// Queen attacks from sq over an occupancy, walking the eight rays.
Bitboard QueenAttacksOver(int sq, Bitboard occupied) {
  static constexpr int STEPS[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
  Bitboard attacks = 0;
  for (const auto& step : STEPS) {
    int file = FileOf(sq) + step[0], rank = RankOf(sq) + step[1];
    for (; file >= 0 && file < 8 && rank >= 0 && rank < 8; file += step[0], rank += step[1]) {
      attacks |= Bit(SquareOf(file, rank));
      if (occupied & Bit(SquareOf(file, rank))) break;
    }
  }
  return attacks;
}

// Both runners promoted: the new queen of `first` checks, or attacks the
// other's promotion square while the other king does not guard it.
bool FirstQueenStrikes(const Position& pos, int first, const Runner (&runners)[2]) {
  const int second = first ^ 1;
  const int first_queen = SquareOf(FileOf(runners[first].pawn), first == WHITE ? 7 : 0);
  const int second_queen = SquareOf(FileOf(runners[second].pawn), second == WHITE ? 7 : 0);
  Bitboard occupied = Occupancy(pos) & ~Bit(runners[first].pawn) & ~Bit(runners[second].pawn);
  occupied |= Bit(first_queen) | Bit(second_queen);
  const Bitboard attacks = QueenAttacksOver(first_queen, occupied);
  const int defender = pos.king_square[second];
  if (attacks & Bit(defender)) return true;
  return (attacks & Bit(second_queen)) && KingDistance(defender, second_queen) != 1;
}

// The passer race between runners (White's view).
int RunnerRace(const Position& pos, const Runner (&runners)[2]) {
  const int w = runners[WHITE].moves;
  int b = runners[BLACK].moves;
  if (w == NO_RUNNER && b == NO_RUNNER) return 0;
  if (b == NO_RUNNER) return RACE_WIN - 10 * w;
  if (w == NO_RUNNER) return 10 * b - RACE_WIN;
  if (pos.side == BLACK) --b;
  if (w < b) return RACE_WIN - 10 * w;
  if (b < w - 1) return 10 * b - RACE_WIN;
  if (w == b) return FirstQueenStrikes(pos, WHITE, runners) ? RACE_WIN - 10 * w : 0;
  return FirstQueenStrikes(pos, BLACK, runners) ? 10 * b - RACE_WIN : 0;
}

}  // namespace

int PawnRace(const Position& pos, const MaterialInfo& mi, const PawnInfo& info) {
  const bool white_races = info.passed_files[WHITE] && mi.piece_material[BLACK] == 0;
  const bool black_races = info.passed_files[BLACK] && mi.piece_material[WHITE] == 0;
  if (!white_races && !black_races) return 0;
  if (mi.piece_material[WHITE] == 0 && mi.piece_material[BLACK] == 0) {
    int kpk = 0;
    if (mi.pawns[WHITE] && !mi.pawns[BLACK]) kpk = KingPawnKing(pos, WHITE);
    if (mi.pawns[BLACK] && !mi.pawns[WHITE]) kpk = -KingPawnKing(pos, BLACK);
    if (kpk) return kpk;
  }
  Runner runners[2];
  if (white_races) runners[WHITE] = FastestRunner(pos, info, WHITE);
  if (black_races) runners[BLACK] = FastestRunner(pos, info, BLACK);
  return RunnerRace(pos, runners);
}
