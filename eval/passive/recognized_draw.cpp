// Recognized draws for the search: king and pawn against king, and the
// rook pawn with the bishop that does not control its promotion square.
#include "eval/recognized_draw.h"

#include "board/attacks.h"
#include "eval/passive/material_table.h"

namespace {

constexpr int A8 = 56;

// The square `ranks` up and `files` across from sq, or -1 off the board:
// a rook pawn's neighbours never wrap round to the other edge.
int Shifted(int sq, int ranks, int files) {
  const int file = FileOf(sq) + files;
  const int rank = RankOf(sq) + ranks;
  return file < 0 || file > 7 || rank < 0 || rank > 7 ? -1 : rank * 8 + file;
}

// Lone pawn p (turned to White's side and files a..d) with strong king s
// against weak king w; m when the pawn side is to move.
bool PawnRule(int p, int s, int w, bool m) {
  const int r = RankOf(p);
  const bool beside = s == Shifted(p, 0, -1) || s == Shifted(p, 0, 1);
  const bool guards_stop = s == Shifted(p, -1, 1) || s == Shifted(p, -1, -1);
  if (w == p + 8) {
    if (r < 6) return true;
    if (r == 6 && m == guards_stop) return true;
  } else if (w == p + 16) {
    if (r < 5 || !m) return true;
    if (!beside) return true;
  } else if (m && w == s + 16) {
    if ((s == Shifted(p, 1, -1) || s == p + 8 || s == Shifted(p, 1, 1)) && r <= 3) return true;
    if (beside) return true;
  }
  if (FileOf(p) != 0) return false;
  if (distance[w][A8] < 2) return true;
  return FileOf(s) == 0 && FileOf(w) == 2 && RankOf(w) > (r == 1 ? 2 : r);
}

// The rook pawn whose bishop cannot cover the corner the weak king holds.
bool WrongBishopRule(int p, int b, int w) {
  return FileOf(p) == 0 && distance[w][A8] <= 1 && ((RankOf(b) + FileOf(b)) & 1) == 0;
}

}  // namespace

bool RecognizedDraw(const Position& pos) {
  if (pos.piece_count[BLACK] + pos.piece_count[WHITE] > 2) return false;
  const passive::MaterialEntry entry = passive::FetchMaterialEntry(pos.material);
  if (entry.flags[BLACK] & passive::MINOR_DRAW) return true;
  if (!(entry.flags[BLACK] & passive::LONE_PAWN_ENDING)) return false;

  int strong;
  bool bishop;
  if (pos.material == MaterialUnit(WHITE, PAWN)) strong = WHITE, bishop = false;
  else if (pos.material == MaterialUnit(BLACK, PAWN)) strong = BLACK, bishop = false;
  else if (pos.material == MaterialUnit(WHITE, PAWN) + MaterialUnit(WHITE, BISHOP)) strong = WHITE, bishop = true;
  else if (pos.material == MaterialUnit(BLACK, PAWN) + MaterialUnit(BLACK, BISHOP)) strong = BLACK, bishop = true;
  else return false;

  // Turn the board so the pawn runs up files a..d.
  const int p0 = FirstBit(pos.bitboards[PAWN][strong]);
  const int flip = strong == BLACK ? 56 : 0;
  const int mirror = FileOf(p0 ^ flip) >= 4 ? 7 : 0;
  auto turned = [&](int sq) { return sq ^ flip ^ mirror; };
  const int p = turned(p0);
  const int s = turned(pos.king_square[strong]);
  const int w = turned(pos.king_square[strong ^ 1]);
  if (bishop) return WrongBishopRule(p, turned(FirstBit(pos.bitboards[BISHOP][strong])), w);
  return PawnRule(p, s, w, pos.side == strong);
}
