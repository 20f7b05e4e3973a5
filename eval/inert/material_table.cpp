// The material table: every configuration the mixed-radix index names,
// with its flags and correction, enumerated once at start-up.
#include "eval/inert/material_table.h"

#include <algorithm>
#include <cstdlib>

#include "board/bitboard.h"
#include "eval/inert/inert_params.h"
#include "eval/inert/material_records.h"

namespace inert {
namespace {

MaterialEntry material_table[MATERIAL_TABLE_SIZE];

// Digit weights of the index, as the position accumulates it.
constexpr uint32_t QUEEN_WEIGHT[2] = {2, 1};  // [BLACK], [WHITE]
constexpr uint32_t ROOK_WEIGHT[2] = {12, 4};
constexpr uint32_t BISHOP_WEIGHT[2] = {108, 36};
constexpr uint32_t KNIGHT_WEIGHT[2] = {972, 324};
constexpr uint32_t PAWN_WEIGHT[2] = {26244, 2916};

// Drawn small configurations: the first side's men against the second's,
// in either colour; nothing else may be on the board.
struct SmallPair {
  Men one;
  Men other;
};
constexpr SmallPair SMALL_DRAWS[] = {
    {ParseMen("N"), ParseMen("")},     {ParseMen("B"), ParseMen("")},
    {ParseMen("NN"), ParseMen("")},    {ParseMen("P"), ParseMen("N")},
    {ParseMen("P"), ParseMen("B")},    {ParseMen("B"), ParseMen("N")},
    {ParseMen("PP"), ParseMen("N")},   {ParseMen("PP"), ParseMen("B")},
    {ParseMen("NN"), ParseMen("N")},   {ParseMen("NN"), ParseMen("B")},
    {ParseMen("NN"), ParseMen("R")},   {ParseMen("PPP"), ParseMen("N")},
    {ParseMen("PPP"), ParseMen("B")},  {ParseMen("NN"), ParseMen("NP")},
    {ParseMen("NN"), ParseMen("BP")},  {ParseMen("NN"), ParseMen("NPP")},
    {ParseMen("NN"), ParseMen("BPP")}, {ParseMen("NN"), ParseMen("NPPP")},
};

bool SameMen(const MaterialCounts& c, int side, const Men& men) {
  return c.pawns[side] == men.p && c.knights[side] == men.n && c.bishops[side] == men.b &&
         c.rooks[side] == men.r && c.queens[side] == men.q;
}

int Pieces(const MaterialCounts& c, int side) {
  return c.knights[side] + c.bishops[side] + c.rooks[side] + c.queens[side];
}

// The side's men can force mate against a bare king.
bool CanMateBare(const MaterialCounts& c, int side) {
  const int minors = c.knights[side] + c.bishops[side];
  return c.rooks[side] + c.queens[side] > 0 || minors >= 3 || (minors == 2 && c.bishops[side] > 0);
}

// The plain balance in pawn units, White's view.
int Units(const MaterialCounts& c) {
  int units = 0;
  for (int side = 0; side < 2; ++side) {
    const int sign = side == WHITE ? 1 : -1;
    units += sign * (c.pawns[side] + 3 * (c.knights[side] + c.bishops[side]) + 5 * c.rooks[side] +
                     10 * c.queens[side]);
  }
  return units;
}

}  // namespace

MaterialCounts CountsOfIndex(uint32_t index) {
  MaterialCounts c;
  for (int side = 0; side < 2; ++side) {
    c.queens[side] = index / QUEEN_WEIGHT[side] % 2;
    c.rooks[side] = index / ROOK_WEIGHT[side] % 3;
    c.bishops[side] = index / BISHOP_WEIGHT[side] % 3;
    c.knights[side] = index / KNIGHT_WEIGHT[side] % 3;
    c.pawns[side] = index / PAWN_WEIGHT[side] % 9;
  }
  return c;
}

uint32_t IndexOfCounts(const MaterialCounts& c) {
  uint32_t index = 0;
  for (int side = 0; side < 2; ++side)
    index += c.queens[side] * QUEEN_WEIGHT[side] + c.rooks[side] * ROOK_WEIGHT[side] +
             c.bishops[side] * BISHOP_WEIGHT[side] + c.knights[side] * KNIGHT_WEIGHT[side] +
             c.pawns[side] * PAWN_WEIGHT[side];
  return index;
}

uint16_t MaterialFlags(const MaterialCounts& c) {
  const int minors = c.knights[0] + c.knights[1] + c.bishops[0] + c.bishops[1];
  const int majors = c.rooks[0] + c.rooks[1] + 2 * (c.queens[0] + c.queens[1]);
  uint16_t flags = static_cast<uint16_t>(std::max(0, PhaseDivisor - minors - 2 * majors));
  if (c.queens[WHITE] && Pieces(c, WHITE) >= 2) flags |= BLACK_KING_EXPOSED;
  if (c.queens[BLACK] && Pieces(c, BLACK) >= 2) flags |= WHITE_KING_EXPOSED;
  const bool no_rqn = c.rooks[0] + c.rooks[1] + c.queens[0] + c.queens[1] + c.knights[0] + c.knights[1] == 0;
  if (no_rqn && c.bishops[WHITE] == 1 && c.bishops[BLACK] == 1 && std::abs(c.pawns[WHITE] - c.pawns[BLACK]) < 3)
    flags |= BISHOPS_ONLY;
  for (int side = 0; side < 2; ++side) {
    const int bare = side ^ 1;
    if (Pieces(c, bare) == 0 && c.pawns[bare] == 0 && CanMateBare(c, side))
      flags |= side == WHITE ? WHITE_MATES_BARE : BLACK_MATES_BARE;
  }
  return flags;
}

bool ClassifySmall(const MaterialCounts& c) {
  // The largest listed pair has six men; most configurations stop here.
  if (c.pawns[0] + c.pawns[1] + Pieces(c, BLACK) + Pieces(c, WHITE) > 6) return false;
  for (const SmallPair& pair : SMALL_DRAWS) {
    if (SameMen(c, WHITE, pair.one) && SameMen(c, BLACK, pair.other)) return true;
    if (SameMen(c, BLACK, pair.one) && SameMen(c, WHITE, pair.other)) return true;
  }
  return false;
}

MaterialEntry MaterialEntryOf(const MaterialCounts& c) {
  int correction = ClassifySmall(c) ? -Units(c) * PawnUnit : MaterialFormula(c);
  if (std::abs(correction) < 2000) correction /= 8;
  if (c.bishops[WHITE] >= 2) correction += 600;
  if (c.bishops[BLACK] >= 2) correction -= 600;
  if (Pieces(c, WHITE) + Pieces(c, BLACK) == 0) correction = 2000 * (c.pawns[WHITE] - c.pawns[BLACK]);
  // Every configuration's correction fits easily; the clamp only guards
  // the 16-bit field against a future change of the rows.
  correction = std::clamp(correction, -32767, 32767);
  return {MaterialFlags(c), static_cast<int16_t>(correction)};
}

void BuildMaterialTable() {
  BuildRecordIndex();
  // Counting through the digits in index order, lowest digit innermost,
  // spares the divisions of CountsOfIndex on every entry.
  MaterialCounts c;
  uint32_t index = 0;
  for (c.pawns[BLACK] = 0; c.pawns[BLACK] <= 8; ++c.pawns[BLACK])
    for (c.pawns[WHITE] = 0; c.pawns[WHITE] <= 8; ++c.pawns[WHITE])
      for (c.knights[BLACK] = 0; c.knights[BLACK] <= 2; ++c.knights[BLACK])
        for (c.knights[WHITE] = 0; c.knights[WHITE] <= 2; ++c.knights[WHITE])
          for (c.bishops[BLACK] = 0; c.bishops[BLACK] <= 2; ++c.bishops[BLACK])
            for (c.bishops[WHITE] = 0; c.bishops[WHITE] <= 2; ++c.bishops[WHITE])
              for (c.rooks[BLACK] = 0; c.rooks[BLACK] <= 2; ++c.rooks[BLACK])
                for (c.rooks[WHITE] = 0; c.rooks[WHITE] <= 2; ++c.rooks[WHITE])
                  for (c.queens[BLACK] = 0; c.queens[BLACK] <= 1; ++c.queens[BLACK])
                    for (c.queens[WHITE] = 0; c.queens[WHITE] <= 1; ++c.queens[WHITE])
                      material_table[index++] = MaterialEntryOf(c);
}

const MaterialEntry* MaterialEntryFor(const Position& pos) {
  // The index alone cannot tell a second queen from an enemy queen (its
  // digits carry into the next), so the counts are checked first.
  for (int side = 0; side < 2; ++side) {
    if (BitCount(pos.bitboards[QUEEN][side]) > 1 || BitCount(pos.bitboards[ROOK][side]) > 2 ||
        BitCount(pos.bitboards[BISHOP][side]) > 2 || BitCount(pos.bitboards[KNIGHT][side]) > 2 ||
        BitCount(pos.bitboards[PAWN][side]) > 8)
      return nullptr;
  }
  const uint32_t index = pos.material_index & ((1u << 18) - 1);
  return index < MATERIAL_TABLE_SIZE ? &material_table[index] : nullptr;
}

}  // namespace inert
