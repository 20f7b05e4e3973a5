// Passed pawns: king support, blockade and connected passers.
#include <initializer_list>
#include "eval/active/passed_pawns.h"

#include <algorithm>

#include "eval/active/pawn_geometry.h"

namespace {

// By relative rank 1..8, index 0 = rank 1.
const int SUPPORT[8] = {0, 0, 0, 0, 12, 60, 100, 0};
const int BLOCKED_PASSER[8] = {0, 8, 12, 16, 30, 45, 60, 0};
const int CONNECTED[8] = {0, 0, 0, 12, 24, 48, 100, 0};

// Rook and pawn against rook where the defence holds: the defending king
// in front of the pawn, or the attacking king cut off behind or aside.
bool RookEndingHeld(const Position& pos, const MaterialInfo& mi) {
  if (mi.piece_material[WHITE] != 5 || mi.piece_material[BLACK] != 5) return false;
  for (int side : {WHITE, BLACK}) {
    if (mi.pawns[side] != 1 || mi.pawns[side ^ 1] != 0) continue;
    const int pawn = FirstBit(pos.bitboards[PAWN][side]);
    const int file = FileOf(pawn);
    const Bitboard in_front = (FileMask(file) | NeighbourFiles(file)) & RanksAhead(side, pawn);
    if (in_front & Bit(pos.king_square[side ^ 1])) return true;
    const int own_king = pos.king_square[side];
    return RelativeRank(side, own_king) < RelativeRank(side, pawn) || FileDistance(own_king, pawn) >= 2;
  }
  return false;
}

// The most advanced pawn of side on a file.
int PasserOn(const Position& pos, int side, int file) {
  return MostAdvanced(side, pos.bitboards[PAWN][side] & FileMask(file));
}

// Support and blockade of each passer of one side (own view).
int SinglePasserTerms(const Position& pos, int side, uint8_t files) {
  const Bitboard occupied = Occupancy(pos);
  const int king = pos.king_square[side];
  int score = 0;
  for (int file = 0; file < 8; ++file) {
    if (!(files & (1 << file))) continue;
    const int pawn = PasserOn(pos, side, file);
    const int rank = RelativeRank(side, pawn);
    if (FileDistance(king, pawn) == 1 && RelativeRank(side, king) >= rank) score += SUPPORT[rank];
    if (occupied & Bit(StepAhead(side, pawn))) score -= BLOCKED_PASSER[rank];
  }
  return score;
}

// Neighbouring passers of one side (own view).
int ConnectedPasserTerms(const Position& pos, const MaterialInfo& mi, int side, uint8_t files) {
  const int enemy = side ^ 1;
  const Bitboard enemy_pieces = pos.bitboards[ALL_PIECES][enemy];
  const int enemy_king = pos.king_square[enemy];
  int score = 0;
  for (int file = 7; file >= 1; --file) {
    if ((files & (3 << (file - 1))) != (3 << (file - 1))) continue;
    const int upper = PasserOn(pos, side, file), lower = PasserOn(pos, side, file - 1);
    const int upper_rank = RelativeRank(side, upper), lower_rank = RelativeRank(side, lower);
    score += CONNECTED[std::min(upper_rank, lower_rank)];
    if (upper_rank < 5 || lower_rank < 5 || mi.piece_material[enemy] >= 9) continue;
    if (enemy_pieces & (Bit(StepAhead(side, upper)) | Bit(StepAhead(side, lower)))) continue;
    score += 100;
    if (!KingCatchesPawn(side, upper, enemy_king, pos.side) &&
        !KingCatchesPawn(side, lower, enemy_king, pos.side))
      score += 100;
  }
  return score;
}

}  // namespace

bool KingCatchesPawn(int side, int pawn_sq, int king_sq, int side_to_move) {
  const int rank = RelativeRank(side, pawn_sq);
  const int moves = rank == 1 ? 5 : 7 - rank;
  const int promotion = SquareOf(FileOf(pawn_sq), side == WHITE ? 7 : 0);
  const int spare = side_to_move != side ? 1 : 0;
  return KingDistance(king_sq, promotion) <= moves + spare;
}

int MovesToPromote(int side, int pawn_sq, int own_king) {
  const int rank = RelativeRank(side, pawn_sq);
  int moves = rank == 1 ? 5 : 7 - rank;
  if (FileAhead(side, pawn_sq) & Bit(own_king)) ++moves;
  return moves;
}

int PassedPawnTerms(const Position& pos, const MaterialInfo& mi, const PawnInfo& info) {
  if (!info.passed_files[WHITE] && !info.passed_files[BLACK]) return 0;
  if (RookEndingHeld(pos, mi)) return 0;
  int score = 0;
  for (int side : {WHITE, BLACK}) {
    const uint8_t files = info.passed_files[side];
    score += SignOf(side) * (SinglePasserTerms(pos, side, files) + ConnectedPasserTerms(pos, mi, side, files));
  }
  return score;
}
