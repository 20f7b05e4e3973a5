// Per-search evaluation values and the king-danger tables.
#include <initializer_list>
#include "eval/search_root.h"

#include <algorithm>

EvalRoot eval_root;
int DANGER[2][64];

// clang-format off
const int KING_DANGER_BASE[64] = {
    0,   4,  15,  24,  36,  42,  54,  72,
   81,  90,  99, 108, 117, 126, 135, 144,
  148, 152, 156, 160, 164, 168, 172, 175,
  180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180,
  180, 180, 180, 180, 180, 180, 180, 180,
};
// clang-format on

void BuildKingDangerTables(int root_side) {
  for (int side : {BLACK, WHITE}) {
    for (int i = 0; i < 64; ++i) {
      const int t = KING_DANGER_BASE[i];
      DANGER[side][i] = side == root_side ? t : t - t * 40 / 100;
    }
  }
}

int Danger(int side, int index) { return DANGER[side][std::clamp(index, 0, 63)]; }
