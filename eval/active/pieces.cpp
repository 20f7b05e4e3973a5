// Knights, bishops, rooks and queens.
#include "eval/active/pieces.h"

#include <algorithm>
#include <initializer_list>

#include "eval/active/pawn_geometry.h"

namespace {

// The square and file tables by their printed names, apart from the
// piece-kind constants of the same names.
namespace table {

// clang-format off
const int KNIGHT[64] = {
  -32, -16,  -8,  -8,  -8,  -8, -16, -32,
  -24, -24,   4,   4,   4,   4, -24, -24,
   -8,   2,   6,   6,   6,   6,   2,  -8,
   -8,   2,   6,   6,   6,   6,   2,  -8,
   -8,   2,   4,   4,   4,   4,   2,  -8,
   -8,   2,   2,   2,   2,   2,   2,  -8,
   -8,  -8,   0,   0,   0,   0,  -8,  -8,
   -8,  -8,  -8,  -8,  -8,  -8,  -8,  -8,
};

const int BISHOP[64] = {
  -16, -16,   0,   0,   0,   0, -16, -16,
  -16,   2,   4,   4,   4,   4,   2, -16,
   -4,   2,   6,   6,   6,   6,   2,  -4,
   -4,   2,   6,   6,   6,   6,   2,  -4,
   -4,   2,   4,   4,   4,   4,   2,  -4,
   -4,   2,   2,   2,   2,   2,   2,  -4,
  -16,   2,   0,   0,   0,   0,   2, -16,
  -16, -16,  -8,  -8,  -8,  -8, -16, -16,
};

const int QUEEN[64] = {
    0,   0,   0,   0,   0,   0,   0,   0,
  -15,   0,   4,   5,   5,   4,   0, -15,
    0,   2,   4,  10,  10,   4,   2,   0,
    0,   2,  10,  12,  12,  10,   2,   0,
  -10,   2,  10,  12,  12,  10,   2, -10,
  -10, -10,   4,  10,  10,   4, -10, -10,
  -10,   2,   8,   8,   8,   8,   2, -10,
  -10,  -8,   0,   0,   0,   0,  -8, -10,
};

const int OUTPOST[64] = {
   0,  0,  0,  0,  0,  0,  0,  0,
   0,  0,  6, 12, 12,  6,  0,  0,
   0,  0, 12, 18, 18, 12,  0,  0,
   0,  0, 12, 15, 15, 12,  0,  0,
   0,  0,  0,  6,  6,  0,  0,  0,
   0,  0,  0,  0,  0,  0,  0,  0,
   0,  0,  0,  0,  0,  0,  0,  0,
   0,  0,  0,  0,  0,  0,  0,  0,
};
// clang-format on

// Rook value by file, the same on every rank.
const int ROOK[8] = {0, 0, 4, 6, 6, 4, 0, 0};

}  // namespace table

const int PAIR[9] = {20, 20, 20, 20, 20, 20, 20, 15, 8};
const int MINOR_TROPISM[8] = {3, 3, 3, 2, 1, 0, 0, 0};
const int ROOK_FILE[8] = {4, 3, 1, 0, 0, 0, 0, 0};
const int QUEEN_TROPISM[8] = {4, 4, 4, 2, 1, 0, 0, 0};
const int QUEEN_FILE[8] = {5, 5, 3, 0, 0, 0, 0, 0};

// Everything a piece of one side needs to know about the position.
struct PieceSide {
  const Position& pos;
  const MaterialInfo& mi;
  const PawnInfo& info;
  int side;
  int enemy;
  Bitboard area;        // mobility area
  Bitboard own_pawns;
  Bitboard enemy_pawns;
  int enemy_king;       // adjusted square
  int& units;           // attack units against the enemy king
};

// The square as White sees it (Black's turned top to bottom).
int AsWhite(const PieceSide& ps, int sq) { return ps.side == WHITE ? sq : FlipRank(sq); }

// King distance from sq to the enemy king, read from the start-up table.
int EnemyKingDistance(const PieceSide& ps, int sq) { return distance[sq][ps.enemy_king]; }

// No enemy pawn on a neighbouring file ahead can ever attack the square.
bool SafeFromPawns(const PieceSide& ps, int sq) {
  return !(ps.enemy_pawns & front_span[sq][ps.side] & ~FileMask(FileOf(sq)));
}

// A minor on d6/e6 blocking an enemy d7/e7 pawn, or on d3/e3 blocking its
// own d2/e2 pawn (the squares as White sees them).
int CentreBlock(const PieceSide& ps, int sq) {
  const int white_sq = AsWhite(ps, sq);
  const int file = FileOf(white_sq), rank = RankOf(white_sq);
  if (file != 3 && file != 4) return 0;
  if (rank == 5 && (ps.enemy_pawns & Bit(StepAhead(ps.side, sq)))) return 12;
  if (rank == 2 && (ps.own_pawns & Bit(sq - pawn_step[ps.side]))) return -12;
  return 0;
}

// Mobility, square value, outpost and king tropism of a knight.
int Knight(const PieceSide& ps, int sq) {
  int score = BitCount(knight_attacks[sq] & ps.area) - 4 + FromPrinted(table::KNIGHT, ps.side, sq);
  const int outpost = FromPrinted(table::OUTPOST, ps.side, sq);
  if (outpost && SafeFromPawns(ps, sq)) {
    score += outpost;
    const int defenders = PawnsHitting(ps.side, ps.own_pawns, sq);
    if (defenders) {
      const bool no_exchanger = !ps.pos.bitboards[KNIGHT][ps.enemy] &&
                                !(ps.pos.bitboards[BISHOP][ps.enemy] & SameColourSquares(sq));
      if (no_exchanger || defenders == 2) score += outpost;
      else score += outpost >> 1;
    }
    score += CentreBlock(ps, sq);
  }
  ps.units += MINOR_TROPISM[EnemyKingDistance(ps, sq)];
  return score;
}

// Mobility, square value, centre blocks and king tropism of a bishop.
int Bishop(const PieceSide& ps, int sq) {
  int score = BitCount(BishopAttacks(ps.pos, sq) & ps.area) - 6 + FromPrinted(table::BISHOP, ps.side, sq);
  if (FromPrinted(table::OUTPOST, ps.side, sq) && SafeFromPawns(ps, sq)) score += CentreBlock(ps, sq);
  ps.units += MINOR_TROPISM[EnemyKingDistance(ps, sq)];
  return score;
}

// A fianchettoed bishop guarding the king that stands beside it, on the
// wing of the knight file given.
bool Fianchetto(const PieceSide& ps, int knight_file) {
  const int king = ps.pos.king_square[ps.side];
  const int second = SquareOf(knight_file, ps.side == WHITE ? 1 : 6);
  const int third = SquareOf(knight_file, ps.side == WHITE ? 2 : 5);
  if ((ps.own_pawns & Bit(second)) || !(ps.own_pawns & Bit(third))) return false;
  if (KingDistance(king, second) != 1) return false;
  const int back = ps.side == WHITE ? 0 : 7;
  const Bitboard posts = Bit(second) | Bit(SquareOf(knight_file - 1, back)) | Bit(SquareOf(knight_file + 1, back));
  return (ps.pos.bitboards[BISHOP][ps.side] & posts) != 0;
}

// Terms over all bishops of a side: the pair, a lone bishop's pawns on its
// colour, and fianchettoed bishops by the king.
int BishopGroup(const PieceSide& ps) {
  const Bitboard bishops = ps.pos.bitboards[BISHOP][ps.side];
  const int count = BitCount(bishops);
  int score = 0;
  if (count >= 2) {
    score += Saturated(PAIR, BitCount(ps.own_pawns));
  } else if (count == 1) {
    score -= 4 * BitCount(ps.own_pawns & SameColourSquares(FirstBit(bishops)));
    const Bitboard pawns = ps.own_pawns | ps.enemy_pawns;
    if (ps.mi.piece_material[ps.side] <= 6 && !ps.pos.bitboards[BISHOP][ps.enemy] &&
        (pawns & FilesMask(0, 2)) && (pawns & FilesMask(5, 7)))
      score += 30;
  }
  if (!ps.mi.endgame) {
    // The king's wing, by its adjusted file, decides which bishop may guard it.
    const int king_file = FileOf(ps.mi.adjusted_king[ps.side]);
    if (king_file >= 5 && Fianchetto(ps, 6)) score += 10;
    if (king_file <= 2 && Fianchetto(ps, 1)) score += 10;
  }
  return score;
}

// The files a rook reaches along its rank hold no open file although some
// file is open.
bool CutOffFromOpenFiles(const PieceSide& ps, Bitboard rank_attacks_of_rook) {
  return ps.info.open_files && !(FilesOf(rank_attacks_of_rook) & ps.info.open_files);
}

// Rooks behind passed pawns: own passer ahead, or enemy passer in front.
int RookAndPassers(const PieceSide& ps, int sq) {
  const int file = FileOf(sq);
  int score = 0;
  const Bitboard own_on_file = ps.own_pawns & FileMask(file);
  if ((ps.info.passed_files[ps.side] & (1 << file)) && own_on_file) {
    const int pawn = MostAdvanced(ps.side, own_on_file);
    if (RelativeRank(ps.side, sq) < RelativeRank(ps.side, pawn))
      score += (ps.pos.bitboards[ALL_PIECES][ps.enemy] & Bit(StepAhead(ps.side, pawn))) ? 20 : 40;
  }
  const Bitboard enemy_on_file = ps.enemy_pawns & FileMask(file);
  if ((ps.info.passed_files[ps.enemy] & (1 << file)) && enemy_on_file) {
    const int pawn = MostAdvanced(ps.enemy, enemy_on_file);
    if (RelativeRank(ps.side, pawn) < RelativeRank(ps.side, sq)) score += 40;
  }
  return score;
}

// The enemy's seventh rank holds pawns or the enemy king is on its back
// rank.
bool SeventhMatters(const PieceSide& ps) {
  const int seventh = ps.side == WHITE ? 6 : 1;
  return RelativeRank(ps.side, ps.pos.king_square[ps.enemy]) == 7 || (ps.enemy_pawns & RankMask(seventh));
}

// A rook on the enemy's seventh rank.
int SeventhRankRook(const PieceSide& ps, int sq, Bitboard rank_attacks_of_rook) {
  if (RelativeRank(ps.side, sq) != 6 || !SeventhMatters(ps)) return 0;
  int score = 30;
  const int seventh = RankOf(sq);
  const Bitboard b7_to_g7 = RankMask(seventh) & FilesMask(1, 6);
  if (ps.info.passed_files[ps.side] && RelativeRank(ps.side, ps.pos.king_square[ps.enemy]) == 7 &&
      !(ps.pos.bitboards[ALL_PIECES][ps.enemy] & b7_to_g7))
    score += 20;
  if (rank_attacks_of_rook & (ps.pos.bitboards[QUEEN][ps.side] | ps.pos.bitboards[ROOK][ps.side])) score += 16;
  return score;
}

// Mobility, files, passers, seventh rank and king attack of a rook.
int Rook(const PieceSide& ps, int sq) {
  const Bitboard attacks = RookAttacks(ps.pos, sq);
  const Bitboard along_rank = attacks & RankMask(RankOf(sq));
  const int file = FileOf(sq);
  int score = BitCount(attacks & ps.area) - 7 + table::ROOK[file];
  const Bitboard file_mask = FileMask(file);
  int file_distance = std::abs(file - FileOf(ps.enemy_king));
  if (!((ps.own_pawns | ps.enemy_pawns) & file_mask)) {
    score += 24;
  } else {
    if (!(ps.own_pawns & file_mask)) score += 5;
    else if (ps.own_pawns & FileAhead(ps.side, sq)) file_distance = 7;
    if (CutOffFromOpenFiles(ps, along_rank)) score -= 12;
  }
  score += RookAndPassers(ps, sq) + SeventhRankRook(ps, sq, along_rank);
  ps.units += std::max(MINOR_TROPISM[EnemyKingDistance(ps, sq)], ROOK_FILE[file_distance]);
  return score;
}

// Mobility, seventh rank and king attack of a queen.
int Queen(const PieceSide& ps, int sq) {
  const Bitboard rook_part = RookAttacks(ps.pos, sq);
  const Bitboard attacks = rook_part | BishopAttacks(ps.pos, sq);
  int score = BitCount(attacks & ps.area) - 13 + FromPrinted(table::QUEEN, ps.side, sq);
  if (RelativeRank(ps.side, sq) == 6 && SeventhMatters(ps) &&
      (rook_part & RankMask(RankOf(sq)) & ps.pos.bitboards[ROOK][ps.side]))
    score += 10;
  int file_distance = FileDistance(sq, ps.enemy_king);
  if (ps.own_pawns & FileAhead(ps.side, sq)) file_distance = 7;
  ps.units += std::max(QUEEN_TROPISM[EnemyKingDistance(ps, sq)], QUEEN_FILE[file_distance]);
  if (ps.mi.danger_index[ps.enemy] > ps.mi.danger_index[ps.side] + 4) score += 30;
  const int file = FileOf(sq), king_file = FileOf(ps.enemy_king);
  if (BitCount(ps.own_pawns) >= 5 && ((file <= 1 && king_file >= 5) || (file >= 6 && king_file <= 2)))
    ps.units = std::max(ps.units - 8, -8);
  return score;
}

// Squares a side's pieces may count for mobility: not attacked by enemy
// pawns and not holding an own piece.
Bitboard MobilityArea(const Position& pos, int side) {
  return ~PawnAttackSet(side ^ 1, pos.bitboards[PAWN][side ^ 1]) & ~pos.bitboards[ALL_PIECES][side];
}

// The sum of a term over every piece of one kind of a side. The term is a
// template argument, not a pointer, so that it inlines into the loop.
template <int (*Term)(const PieceSide&, int)>
int AllOfKind(const PieceSide& ps, int kind) {
  int score = 0;
  for (Bitboard b = ps.pos.bitboards[kind][ps.side]; b; b &= b - 1) score += Term(ps, FirstBit(b));
  return score;
}

}  // namespace

int PieceTerms(const Position& pos, const MaterialInfo& mi, const PawnInfo& info, int (&units)[2]) {
  const PieceSide sides[2] = {
      {pos, mi, info, BLACK, WHITE, MobilityArea(pos, BLACK), pos.bitboards[PAWN][BLACK],
       pos.bitboards[PAWN][WHITE], mi.adjusted_king[WHITE], units[WHITE]},
      {pos, mi, info, WHITE, BLACK, MobilityArea(pos, WHITE), pos.bitboards[PAWN][WHITE],
       pos.bitboards[PAWN][BLACK], mi.adjusted_king[BLACK], units[BLACK]},
  };
  // Kind by kind, Black before White: the queen term reads the units
  // gathered so far.
  int score = 0;
  for (int side : {BLACK, WHITE}) score += SignOf(side) * AllOfKind<Knight>(sides[side], KNIGHT);
  for (int side : {BLACK, WHITE})
    score += SignOf(side) * (AllOfKind<Bishop>(sides[side], BISHOP) + BishopGroup(sides[side]));
  for (int side : {BLACK, WHITE}) score += SignOf(side) * AllOfKind<Rook>(sides[side], ROOK);
  for (int side : {BLACK, WHITE}) score += SignOf(side) * AllOfKind<Queen>(sides[side], QUEEN);
  return score;
}
