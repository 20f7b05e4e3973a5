// Material record and imbalance correction.
#include <initializer_list>
#include "eval/material_info.h"

#include "board/position.h"

namespace {

// Count of one kind of one side in the signature.
int CountOf(uint32_t material, int side, int kind) {
  uint32_t group = material >> (16 * side);
  if (kind == PAWN) return group & 15;
  return (group >> (3 * kind - 2)) & 7;
}

}  // namespace

MaterialInfo BuildMaterialInfo(uint32_t material) {
  MaterialInfo mi{};
  for (int side : {BLACK, WHITE}) {
    mi.pawns[side] = CountOf(material, side, PAWN);
    mi.knights[side] = CountOf(material, side, KNIGHT);
    mi.bishops[side] = CountOf(material, side, BISHOP);
    mi.rooks[side] = CountOf(material, side, ROOK);
    mi.queens[side] = CountOf(material, side, QUEEN);
    mi.minors[side] = mi.knights[side] + mi.bishops[side];
    mi.majors[side] = mi.rooks[side] + 2 * mi.queens[side];
    mi.piece_material[side] = 3 * mi.minors[side] + 5 * mi.rooks[side] + 9 * mi.queens[side];
  }
  auto diff = [](const int (&count)[2]) { return count[WHITE] - count[BLACK]; };
  mi.balance = 100 * (diff(mi.pawns) + 3 * diff(mi.minors) + 5 * diff(mi.rooks) + 9 * diff(mi.queens));
  mi.endgame = mi.piece_material[WHITE] < 15 || mi.piece_material[BLACK] < 15;
  return mi;
}

int Imbalance(const MaterialInfo& mi) {
  if (mi.piece_material[WHITE] < 4 && mi.piece_material[BLACK] < 4) return 0;
  const int w = mi.minors[WHITE], b = mi.minors[BLACK];
  const int wm = mi.majors[WHITE], bm = mi.majors[BLACK];
  if (w == b && wm == bm) {
    if (mi.queens[WHITE] && !mi.queens[BLACK]) return 60;
    if (mi.queens[BLACK] && !mi.queens[WHITE]) return -60;
    return 0;
  }
  if (w == b) return wm > bm ? 120 : -120;
  if (wm == bm) return w > b ? 120 : -120;
  if (bm == wm + 1) {  // Black a major unit up
    if (w >= b + 2) return 120;
    if (w == b + 1) return -30;
    return 0;
  }
  if (wm == bm + 1) {  // White a major unit up
    if (b >= w + 2) return -120;
    if (b == w + 1) return 30;
    return 0;
  }
  if (wm - bm == 2 || bm - wm == 2) {
    if (w >= b + 3) return 120;
    if (b >= w + 3) return -120;
  }
  return 0;
}
