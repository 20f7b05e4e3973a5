// Passed pawns: a middle-game bonus by rank, and an end-game bonus that
// grows with the rank, the kings' distances to the square in front, and
// with a free path when the enemy has only its king.
#include "board/attacks.h"
#include "board/exchange.h"
#include "eval/eval_geometry.h"
#include "eval/passive/passive_tables.h"
#include "eval/passive/passive_terms.h"

namespace passive {

namespace {

constexpr int BASE = 120;
constexpr int FREE_TO_ADVANCE = 180;
constexpr int UNSTOPPABLE = 920;
constexpr int PASSER_END = 20;

// The enemy king cannot catch the pawn: it is further from the queening
// square than the pawn's ranks to go, a tempo counted for the side to move.
bool OutsideSquare(const Position& pos, int side, int sq, int promotion) {
  const int steps = 7 - RelativeRank(side, sq);
  const int enemy = side ^ 1;
  return KingDistance(pos.king_square[enemy], promotion) - (pos.side == enemy ? 1 : 0) > steps;
}

// The end-game base of a passer: how freely it can run.
int RunBase(const Position& pos, int side, int sq) {
  const int enemy = side ^ 1;
  const int file = FileOf(sq);
  const int promotion = side == WHITE ? 56 + file : file;
  const Bitboard path = front_span[sq][side] & FileMask(file);
  if (pos.piece_count[enemy] == 0) {
    const bool path_clear = !(path & pos.bitboards[ALL_PIECES][side]);
    const bool king_escorts = (front_span[sq][side] & Bit(pos.king_square[side])) != 0;
    if ((path_clear && OutsideSquare(pos, side, sq, promotion)) || king_escorts) return UNSTOPPABLE;
  }
  const int front = sq + pawn_step[side];
  if (!pos.board[front]) return ExchangeValue(pos, MoveWord(sq, front)) >= 0 ? FREE_TO_ADVANCE : BASE;
  return BASE;
}

// One passer, its side's view.
Pair Passer(const Position& pos, int side, int sq) {
  const int rr = RelativeRank(side, sq);
  const int front = sq + pawn_step[side];
  const int d = 4 * KingDistance(pos.king_square[side ^ 1], front) - KingDistance(pos.king_square[side], front);
  const int weight = RunBase(pos, side, sq) + 5 * d;
  Pair score{PASSED_MID[rr], 0};
  if (weight > 0) score.end = PASSER_END + (PASSED_END[rr] * weight + 128) / 256;
  return score;
}

}  // namespace

Pair PassedPawns(const TermInput& in) {
  Pair score;
  for (int side = BLACK; side <= WHITE; ++side) {
    const Bitboard pawns = in.pos.bitboards[PAWN][side];
    for (int files = in.pawns.passed_files[side]; files; files &= files - 1) {
      const Bitboard on_file = pawns & FileMask(__builtin_ctz(files));
      if (!on_file) continue;  // a torn cache entry may name an empty file
      const int sq = side == WHITE ? LastBit(on_file) : FirstBit(on_file);
      score += ForWhite(side, Passer(in.pos, side, sq));
    }
  }
  return score;
}

}  // namespace passive
