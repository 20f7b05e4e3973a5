// Shelter weakness of each wing: open and half-open files near the castled
// king and pawns that have left their home squares.
#include <initializer_list>
#include "eval/active/pawn_geometry.h"
#include "eval/active/pawn_structure.h"
#include "eval/search_root.h"

namespace {

const int OPENFILE[4] = {0, 8, 13, 16};
const int HALFOPEN[4] = {0, 3, 7, 9};

// Wing files in the order they are examined: edge file first; the second
// file is the knight file, whose pawn matters most.
const int WING_FILES[2][3] = {{7, 6, 5}, {0, 1, 2}};

// What the three files of a wing show for one side.
struct WingCount {
  int open = 0;
  int own_half_open = 0;    // files where only the enemy has pawns
  int enemy_half_open = 0;  // files where only this side has pawns
  int damage = 0;
  bool Any() const { return open + own_half_open + enemy_half_open + damage > 0; }
};

// Counts one wing for side; the third file only when the first two
// already showed something.
WingCount CountWing(Bitboard own, Bitboard enemy, int side, const int (&files)[3]) {
  WingCount wc;
  for (int i = 0; i < 3; ++i) {
    if (i == 2 && !wc.Any()) break;
    const Bitboard file = FileMask(files[i]);
    if (!((own | enemy) & file)) {
      ++wc.open;
    } else if (!(own & file)) {
      ++wc.own_half_open;
    } else {
      if (!(enemy & file)) ++wc.enemy_half_open;
      const int second = SquareOf(files[i], side == WHITE ? 1 : 6);
      const int third = SquareOf(files[i], side == WHITE ? 2 : 5);
      if (!(own & Bit(second))) {
        ++wc.damage;
        if (!(own & Bit(third))) ++wc.damage;
        if (i == 1) ++wc.damage;
      }
    }
  }
  // A pawn pair on the third rank with the knight-file pawn still shelters.
  const int rank3 = side == WHITE ? 2 : 5;
  const bool middle = own & Bit(SquareOf(files[1], rank3));
  const bool beside = own & (Bit(SquareOf(files[0], rank3)) | Bit(SquareOf(files[2], rank3)));
  if (middle && beside && wc.damage > 0) --wc.damage;
  return wc;
}

// The wing's shelter weakness from its counts.
int Weakness(const WingCount& wc) {
  return HALFOPEN[wc.own_half_open] + (HALFOPEN[wc.enemy_half_open] >> 1) + OPENFILE[wc.open] + wc.damage;
}

// d5 and f5 against a pawn on e2 or e3 (for White; mirrored for Black):
// the enemy's stonewall aims at the engine's king side.
bool FacesStonewall(const Position& pos, int side) {
  const Bitboard own = pos.bitboards[PAWN][side];
  const Bitboard enemy = pos.bitboards[PAWN][side ^ 1];
  const int enemy_rank = side == WHITE ? 4 : 3;
  const Bitboard wall = Bit(SquareOf(3, enemy_rank)) | Bit(SquareOf(5, enemy_rank));
  const Bitboard e_pawn = side == WHITE ? Bit(SquareOf(4, 1)) | Bit(SquareOf(4, 2))
                                        : Bit(SquareOf(4, 6)) | Bit(SquareOf(4, 5));
  return (enemy & wall) == wall && (own & e_pawn);
}

}  // namespace

void EvaluateShelter(const Position& pos, PawnInfo& info) {
  for (int side : {BLACK, WHITE}) {
    const Bitboard own = pos.bitboards[PAWN][side];
    const Bitboard enemy = pos.bitboards[PAWN][side ^ 1];
    for (int wing : {KING_SIDE, QUEEN_SIDE}) {
      int weakness = Weakness(CountWing(own, enemy, side, WING_FILES[wing]));
      if (wing == KING_SIDE && eval_root.side == side && FacesStonewall(pos, side)) weakness += 7;
      info.shelter_weakness[wing][side] = static_cast<uint8_t>(weakness);
    }
  }
}
