// Trapped bishops, castling, king danger, king placement and king safety.
#include <initializer_list>
#include "eval/active/king_terms.h"

#include <algorithm>
#include <iterator>

#include "eval/active/pawn_geometry.h"
#include "eval/search_root.h"

namespace {

// clang-format off
const int KINGPOS[64] = {
  8, 8, 8, 8, 8, 8, 8, 8,
  7, 7, 7, 7, 7, 7, 7, 7,
  6, 6, 6, 6, 6, 6, 6, 6,
  5, 5, 5, 5, 5, 5, 5, 5,
  4, 4, 4, 4, 4, 4, 4, 4,
  3, 3, 3, 3, 3, 3, 3, 3,
  1, 1, 2, 3, 3, 2, 1, 1,
  1, 0, 2, 3, 3, 2, 0, 1,
};

const int KING_BOTH[64] = {
  -50, -30, -30, -30, -30, -30, -30, -50,
  -30, -30,   0,   0,   0,   0, -30, -30,
  -30, -10,  30,  40,  40,  30, -10, -30,
  -30, -10,  30,  40,  40,  30, -10, -30,
  -30, -10,  20,  30,  30,  20, -10, -30,
  -30, -10,   0,  10,  10,   0, -10, -30,
  -30, -20, -10,   0,   0, -10, -20, -30,
  -50, -40, -30, -20, -20, -30, -40, -50,
};

const int KING_K[64] = {
  -90, -70, -50, -30, -30, -30, -30, -30,
  -70, -50, -30, -30,   0,   0,   0, -10,
  -70, -50, -30, -10,  30,  30,  30,   0,
  -70, -50, -30, -10,  30,  30,  30,   0,
  -70, -50, -30, -10,  30,  30,  30,   0,
  -70, -50, -30, -10,  20,  20,  20,   0,
  -70, -50, -30, -20, -10, -10, -10, -10,
  -90, -70, -50, -40, -30, -20, -20, -30,
};

const int KING_Q[64] = {
  -30, -30, -30, -30, -30, -50, -70, -90,
  -10,   0,   0,   0, -20, -30, -50, -70,
    0,  30,  30,  30, -10, -30, -50, -70,
    0,  30,  30,  30, -10, -30, -50, -70,
    0,  30,  30,  30, -10, -30, -50, -70,
    0,  20,  20,  20, -10, -30, -50, -70,
  -10, -10, -10, -10, -20, -30, -50, -70,
  -30, -20, -20, -30, -40, -50, -70, -90,
};

// By king-danger index; 32 from 34 upward.
const int SCALE[34] = {
  16, 16, 16, 16, 17, 17, 18, 18, 19, 19, 20, 20, 21, 21, 22, 22, 23,
  23, 24, 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30, 31, 31,
};

// By attack units from -8 (index 0) to 119.
const int KINGATTACK[] = {
  -25, -25, -20, -20, -15, -15, -10,  -5,                      // -8 .. -1
    0,   2,   5,  12,  15,  20,  30,  40,  50,  60,            //  0 .. 9
   70,  80,  90, 100, 110, 120, 125, 125, 130, 130,            // 10 .. 19
  135, 135, 140, 145, 150, 160, 170, 180, 180, 180,            // 20 .. 29
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180, 180, 180,            // .. 119
};
// clang-format on
// Sized by its list, so a missing value fails here instead of reading 0.
static_assert(std::size(KINGATTACK) == 128, "units -8 .. 119");

// Squares as White sees them; Black's are turned top to bottom.
constexpr int A1 = 0, B1 = 1, C1 = 2, D1 = 3, F1 = 5, G1 = 6, H1 = 7;
constexpr int A2 = 8, B2 = 9, C2 = 10, D2 = 11, E2 = 12, G2 = 14, H2 = 15;
constexpr int B3 = 17, C3 = 18, D3 = 19, E3 = 20, F3 = 21, G3 = 22;
constexpr int D4 = 27, E4 = 28;
constexpr int A7 = 48, B6 = 41, B8 = 57, C7 = 50, H7 = 55, G6 = 46, G8 = 62, F7 = 53;

// A square named from White's side, for side.
int Relative(int side, int white_sq) { return side == WHITE ? white_sq : FlipRank(white_sq); }
Bitboard RelativeBit(int side, int white_sq) { return Bit(Relative(side, white_sq)); }

// The side's two castling-right bits, and its king-side bit.
uint8_t CastlingBits(int side) { return side == WHITE ? 3 : 12; }
uint8_t KingSideBit(int side) { return side == WHITE ? 1 : 4; }

// A bishop of side caught on the enemy's wing behind an enemy pawn.
bool BishopTrapped(const Position& pos, int side) {
  static constexpr int TRAPS[4][2] = {{A7, B6}, {B8, C7}, {H7, G6}, {G8, F7}};
  const Bitboard bishops = pos.bitboards[BISHOP][side];
  const Bitboard enemy_pawns = pos.bitboards[PAWN][side ^ 1];
  for (const auto& trap : TRAPS)
    if ((bishops & RelativeBit(side, trap[0])) && (enemy_pawns & RelativeBit(side, trap[1]))) return true;
  return false;
}

// Castling terms of one side (own view).
int SideCastlingTerms(const Position& pos, const PawnInfo& info, int side) {
  const Bitboard pawns = pos.bitboards[PAWN][side];
  const Bitboard minors = pos.bitboards[KNIGHT][side] | pos.bitboards[BISHOP][side];
  const Bitboard occupied = Occupancy(pos);
  auto has = [&](Bitboard set, int white_sq) { return (set & RelativeBit(side, white_sq)) != 0; };
  int score = 0;
  if (has(pawns, D4) && has(pawns, C2) && !has(pawns, E4) && has(minors, C3)) score -= 6;
  if ((has(occupied, D3) && has(pawns, D2)) || (has(occupied, E3) && has(pawns, E2))) score -= 12;
  const uint8_t rights = pos.state.castling & CastlingBits(side);
  if (!rights) return score;
  if (!has(pos.bitboards[QUEEN][side], D1)) score -= 12;
  if (SingleBit(rights)) {
    const int wing = (rights & KingSideBit(side)) ? KING_SIDE : QUEEN_SIDE;
    const int x = info.shelter_weakness[wing][side], y = info.shelter_weakness[wing ^ 1][side];
    if (y < x) score -= Danger(side, 2 * (x - y));
  }
  return score - 30;
}

// +2/+4/+2 for the three files around file `centre` that hold no pawn.
int OpenCentre(const PawnInfo& info, int centre) {
  int index = 0;
  if (info.open_files & (1 << (centre - 1))) index += 2;
  if (info.open_files & (1 << centre)) index += 4;
  if (info.open_files & (1 << (centre + 1))) index += 2;
  return index;
}

// The king-danger index of side's king; moves an uncastled rook-file king
// to the knight file in `adjusted`.
int DangerIndex(const Position& pos, const MaterialInfo& mi, const PawnInfo& info, int side, int& adjusted) {
  const int enemy = side ^ 1;
  const int king = pos.king_square[side];
  const int file = FileOf(king);
  const int enemy_king_file = FileOf(pos.king_square[enemy]);
  const Bitboard pawns = pos.bitboards[PAWN][side];
  const Bitboard enemy_bishop_or_pawn = pos.bitboards[BISHOP][enemy] | pos.bitboards[PAWN][enemy];
  const bool enemy_queen = mi.queens[enemy] > 0;
  const bool engine_side = eval_root.side == side;
  adjusted = king;
  int index = FromPrinted(KINGPOS, side, king);
  const uint8_t rights = pos.state.castling & CastlingBits(side);
  if (rights) {
    if (SingleBit(rights)) {
      const int wing = (rights & KingSideBit(side)) ? KING_SIDE : QUEEN_SIDE;
      index += info.shelter_weakness[wing][side] >> 1;
    }
    index += OpenCentre(info, 4);
  } else if (file >= 4) {
    if (file == 7) adjusted = king - 1;
    index += info.shelter_weakness[KING_SIDE][side];
    if (engine_side && enemy_king_file <= 3) index += 3;
    if (!(pawns & RelativeBit(side, G2)) && (enemy_bishop_or_pawn & RelativeBit(side, F3)) && enemy_queen)
      index += 3;
    if (file == 4) index += OpenCentre(info, 4);
  } else {
    if (file == 0) adjusted = king + 1;
    index += info.shelter_weakness[QUEEN_SIDE][side];
    if (engine_side && enemy_king_file >= 4) index += 3;
    if (!(pawns & RelativeBit(side, B2)) && (enemy_bishop_or_pawn & RelativeBit(side, C3)) && enemy_queen)
      index += 3;
    if (file == 3) index += OpenCentre(info, 3);
  }
  return enemy_queen ? index : index >> 1;
}

// Back-rank king boxed in by its own pawns or next to a shut-in rook
// (own view, a penalty).
int BackRankKing(const Position& pos, int side) {
  static constexpr int NO_SQUARE = -1;
  // For each White king square on the first rank, the rook squares that
  // box it in.
  static constexpr int BOXING_ROOKS[8][3] = {
      {A2, NO_SQUARE, NO_SQUARE}, {A1, A2, NO_SQUARE}, {A1, B1, A2}, {NO_SQUARE, NO_SQUARE, NO_SQUARE},
      {NO_SQUARE, NO_SQUARE, NO_SQUARE}, {G1, H1, H2}, {H1, H2, NO_SQUARE}, {H2, NO_SQUARE, NO_SQUARE}};
  const int king = pos.king_square[side];
  if (RelativeRank(side, king) != 0) return 0;
  int penalty = 0;
  const Bitboard second_rank = king_attacks[king] & RankMask(side == WHITE ? 1 : 6);
  if ((pos.bitboards[PAWN][side] & second_rank) == second_rank) penalty += 12;
  for (int rook_sq : BOXING_ROOKS[FileOf(king)]) {
    if (rook_sq != NO_SQUARE && (pos.bitboards[ROOK][side] & RelativeBit(side, rook_sq))) {
      penalty += 30;
      break;
    }
  }
  return -penalty;
}

// Endgame king centralisation by where the pawns are.
int EndgameKings(const Position& pos) {
  const Bitboard pawns = pos.bitboards[PAWN][WHITE] | pos.bitboards[PAWN][BLACK];
  const bool queen_side = pawns & FilesMask(0, 3), king_side = pawns & FilesMask(4, 7);
  if (!queen_side && !king_side) return 0;
  const int(&table)[64] = queen_side && king_side ? KING_BOTH : king_side ? KING_K : KING_Q;
  return FromPrinted(table, WHITE, pos.king_square[WHITE]) - FromPrinted(table, BLACK, pos.king_square[BLACK]);
}

// A king's safety penalty: attack units scaled by its danger index.
int Penalty(int danger_index, int units) {
  const int scale = danger_index < 34 ? SCALE[std::max(danger_index, 0)] : 32;
  return (scale * KINGATTACK[std::clamp(units, -8, 119) + 8]) >> 4;
}

}  // namespace

int TrappedBishops(const Position& pos) {
  return (BishopTrapped(pos, BLACK) ? 175 : 0) - (BishopTrapped(pos, WHITE) ? 175 : 0);
}

int CastlingTerms(const Position& pos, const PawnInfo& info) {
  int score = 0;
  for (int side : {BLACK, WHITE})
    if (eval_root.castling & CastlingBits(side)) score += SignOf(side) * SideCastlingTerms(pos, info, side);
  return score;
}

int KingDangerStage(const Position& pos, MaterialInfo& mi, const PawnInfo& info) {
  for (int side : {BLACK, WHITE}) {
    mi.adjusted_king[side] = pos.king_square[side];
    mi.danger_index[side] = 0;
  }
  if (mi.endgame) return 0;
  for (int side : {BLACK, WHITE})
    mi.danger_index[side] = DangerIndex(pos, mi, info, side, mi.adjusted_king[side]);
  return Danger(BLACK, mi.danger_index[BLACK]) - Danger(WHITE, mi.danger_index[WHITE]);
}

int KingPlacement(const Position& pos, const MaterialInfo& mi) {
  int score = mi.endgame ? EndgameKings(pos) : 0;
  return score + BackRankKing(pos, WHITE) - BackRankKing(pos, BLACK);
}

int KingSafety(const MaterialInfo& mi, const int (&units)[2]) {
  return Penalty(mi.danger_index[BLACK], units[BLACK]) - Penalty(mi.danger_index[WHITE], units[WHITE]);
}
