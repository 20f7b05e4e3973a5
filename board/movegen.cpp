// Move generation over the rotated-bitboard look-ups. Inside each building
// block moves come origin by origin and destination by destination, lowest
// square first; pawn blocks go by destination.
#include "board/movegen.h"

#include "board/attacks.h"

namespace {

constexpr Move QUEEN_PROMOTION = 0x5000;
constexpr Move PROMOTION_BITS = 0x7000;
constexpr Move FLAG_BITS = 0xF000;
constexpr Bitboard BACK_RANKS = RANK_1 | RANK_8;

// The king's home square by side (index 1 White).
constexpr int KING_HOME[2] = {60, 4};

// One move per destination in dests, all from `from`.
inline Move* EmitFrom(Move* list, int from, Bitboard dests) {
  const Move base = static_cast<Move>(from << 6);
  for (; dests; dests &= dests - 1) *list++ = static_cast<Move>(base | FirstBit(dests));
  return list;
}

// One move per destination in dests, the origin lying `offset` behind.
inline Move* EmitByOffset(Move* list, Bitboard dests, int offset, Move flags) {
  for (; dests; dests &= dests - 1) {
    const int to = FirstBit(dests);
    *list++ = static_cast<Move>(((to - offset) << 6) | to | flags);
  }
  return list;
}

// Pawn captures of one direction onto dests, the origin `offset` behind;
// back-rank captures promote to a queen, captures onto empty squares are en passant.
inline Move* EmitPawnCaptures(const Position& pos, Move* list, Bitboard dests, int offset) {
  for (; dests; dests &= dests - 1) {
    const int to = FirstBit(dests);
    Move move = static_cast<Move>(((to - offset) << 6) | to);
    if (square_bit[to] & BACK_RANKS) move |= QUEEN_PROMOTION;
    else if (pos.board[to] == 0) move |= EN_PASSANT_FLAG;
    *list++ = move;
  }
  return list;
}

// Shifts a board one step towards side's pawns' forward direction.
inline Bitboard Forward(Bitboard b, int side) { return side == WHITE ? b << 8 : b >> 8; }

// The piece on sq is the first seen from king along its line and the next
// piece beyond it is a slider of side by moving along that line (or a
// queen): moving it off the line uncovers an attack on king.
bool ShieldsLine(const Position& pos, int king, int sq, int by) {
  const int d = direction[king][sq];
  if (d == 0 || (between[king][sq] & Occupancy(pos))) return false;
  const Bitboard beyond = RayFrom(d, sq) & Occupancy(pos);
  if (!beyond) return false;
  const int code = pos.board[NearestOnRay(beyond, d)];
  return code == PieceCode(by, SliderKindOf(d)) || code == PieceCode(by, QUEEN);
}

// Own pieces first on a line from the king that IsPinned reports.
Bitboard PinnedPieces(const Position& pos, int king) {
  Bitboard candidates = (RookAttacks(pos, king) | BishopAttacks(pos, king)) &
                        pos.bitboards[ALL_PIECES][pos.side];
  Bitboard pinned = 0;
  for (; candidates; candidates &= candidates - 1) {
    const int sq = FirstBit(candidates);
    if (IsPinned(pos, sq)) pinned |= square_bit[sq];
  }
  return pinned;
}

// Drops en-passant captures from [first, last) that would uncover the
// king through the captured pawn; returns the new end.
Move* DropExposingEpCaptures(const Position& pos, Move* first, Move* last) {
  const int side = pos.side, king = pos.king_square[side];
  Move* kept = first;
  for (Move* move = first; move != last; ++move)
    if (!MoveIsEnPassant(*move) ||
        !EpExposesKing(pos, MoveFrom(*move), MoveTo(*move), side, side, king))
      *kept++ = *move;
  return kept;
}

// Quiet checks by one kind of slider: direct destinations inside `direct`,
// then, for a piece shielding a line of `shield_kind` from the enemy king,
// its other moves as discovered checks.
Move* GenSliderChecks(const Position& pos, Move* list, int kind, Bitboard direct, int shield_kind) {
  const int side = pos.side, enemy_king = pos.king_square[side ^ 1];
  const Bitboard empty = ~Occupancy(pos);
  for (Bitboard pieces = pos.bitboards[kind][side]; pieces; pieces &= pieces - 1) {
    const int from = FirstBit(pieces);
    const Bitboard dests =
        (kind == ROOK ? RookAttacks(pos, from) : BishopAttacks(pos, from)) & empty;
    list = EmitFrom(list, from, dests & direct);
    if (SliderKindOf(direction[enemy_king][from]) == shield_kind &&
        ShieldsLine(pos, enemy_king, from, side))
      list = EmitFrom(list, from, dests & ~direct);
  }
  return list;
}

// After castling, the rook on its new square attacks the enemy king.
bool CastlingGivesCheck(const Position& pos, int from, int to, int enemy_king) {
  const bool king_side = to > from;
  const int rook_from = king_side ? to + 1 : to - 2;
  const int rook_to = king_side ? to - 1 : to + 1;
  if (SliderKindOf(direction[rook_to][enemy_king]) != ROOK) return false;
  const Bitboard after = Occupancy(pos) ^ square_bit[from] ^ square_bit[to] ^
                         square_bit[rook_from] ^ square_bit[rook_to];
  return !(between[rook_to][enemy_king] & after);
}

// Castling moves that check with the rook standing on its new square.
Move* GenCastlingChecks(const Position& pos, Move* list) {
  const int side = pos.side, enemy_king = pos.king_square[side ^ 1];
  const int home = KING_HOME[side];
  const Bitboard occ = Occupancy(pos);
  const uint8_t king_side = side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
  const uint8_t queen_side = side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
  if ((pos.state.castling & king_side) && !(occ & (square_bit[home + 1] | square_bit[home + 2])) &&
      CastlingGivesCheck(pos, home, home + 2, enemy_king) && CastlePathSafe(pos, home, side ^ 1))
    *list++ = MoveWord(home, home + 2);
  if ((pos.state.castling & queen_side) &&
      !(occ & (square_bit[home - 1] | square_bit[home - 2] | square_bit[home - 3])) &&
      CastlingGivesCheck(pos, home, home - 2, enemy_king) && CastlePathSafe(pos, home - 2, side ^ 1))
    *list++ = MoveWord(home, home - 2);
  return list;
}

// The legal evasions, compared with the word's promotion read as a queen.
bool IsListedEvasion(const Position& pos, Move move) {
  Move evasions[MAX_MOVES];
  const Move* end = GenEvasions(pos, evasions);
  const Move wanted = MovePromotion(move) ? static_cast<Move>((move & ~PROMOTION_BITS) | QUEEN_PROMOTION)
                                          : move;
  for (const Move* m = evasions; m != end; ++m)
    if (*m == wanted) return true;
  return false;
}

// The word's promotion and en-passant bits are those the generators would
// give a move with these squares.
bool FlagsFit(const Position& pos, Move move, int from, int to) {
  const int side = pos.side;
  if (KindOf(pos.board[from]) != PAWN) return (move & FLAG_BITS) == 0;
  const int promotion = MovePromotion(move);
  if (RankOf(to) == (side == WHITE ? 7 : 0)) {
    return promotion >= KNIGHT && promotion <= QUEEN && !MoveIsEnPassant(move);
  }
  const bool diagonal_onto_empty = FileOf(from) != FileOf(to) && pos.board[to] == 0;
  return promotion == 0 && MoveIsEnPassant(move) == diagonal_onto_empty;
}

// A pawn move word is a legal move (not in check).
bool PawnMoveIsValid(const Position& pos, int from, int to) {
  const int side = pos.side, king = pos.king_square[side];
  const int step = side == WHITE ? to - from : from - to;
  if (step <= 0) return false;
  if (step == 8 || step == 16) {
    if (pos.board[to] != 0) return false;
    if (step == 16) {
      const int start_rank = side == WHITE ? 1 : 6;
      if (RankOf(from) != start_rank || pos.board[(from + to) / 2] != 0) return false;
    }
    return !ExposesKing(pos, from, to, side, king);
  }
  if (!(pawn_attacks[from][side] & square_bit[to])) return false;
  if (ExposesKing(pos, from, to, side, king)) return false;
  if (pos.board[to] != 0) return true;
  return to == pos.state.ep_square && !EpExposesKing(pos, from, to, side, side, king);
}

// A king move word of two files is a castling move allowed here.
bool CastlingIsValid(const Position& pos, int from, int to) {
  const int side = pos.side, home = KING_HOME[side];
  const Bitboard occ = Occupancy(pos);
  if (from != home) return false;
  if (to == home + 2) {
    const uint8_t right = side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
    return (pos.state.castling & right) &&
           !(occ & (square_bit[home + 1] | square_bit[home + 2])) &&
           CastleSquaresSafe(pos, home, side ^ 1);
  }
  if (to == home - 2) {
    const uint8_t right = side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
    return (pos.state.castling & right) &&
           !(occ & (square_bit[home - 1] | square_bit[home - 2] | square_bit[home - 3])) &&
           CastleSquaresSafe(pos, home - 2, side ^ 1);
  }
  return false;
}

// A piece of kind on `to` attacks the enemy king, judged on the current board.
bool PieceChecksFrom(const Position& pos, int kind, int to, int enemy_king) {
  if (kind == KNIGHT) return (knight_attacks[to] & square_bit[enemy_king]) != 0;
  const int d = direction[to][enemy_king];
  if (d == 0 || (kind != QUEEN && kind != SliderKindOf(d))) return false;
  return !(between[to][enemy_king] & Occupancy(pos));
}

}  // namespace

Move* GenPieceMovesFrom(const Position& pos, Move* list, Bitboard origins, Bitboard targets) {
  const int side = pos.side;
  const Bitboard queens = pos.bitboards[QUEEN][side];
  for (Bitboard pieces = (pos.bitboards[ROOK][side] | queens) & origins; pieces; pieces &= pieces - 1) {
    const int from = FirstBit(pieces);
    list = EmitFrom(list, from, RookAttacks(pos, from) & targets);
  }
  for (Bitboard pieces = (pos.bitboards[BISHOP][side] | queens) & origins; pieces; pieces &= pieces - 1) {
    const int from = FirstBit(pieces);
    list = EmitFrom(list, from, BishopAttacks(pos, from) & targets);
  }
  for (Bitboard pieces = pos.bitboards[KNIGHT][side] & origins; pieces; pieces &= pieces - 1) {
    const int from = FirstBit(pieces);
    list = EmitFrom(list, from, knight_attacks[from] & targets);
  }
  return list;
}

Move* GenPieceMoves(const Position& pos, Move* list, Bitboard targets) {
  return GenPieceMovesFrom(pos, list, ALL_SQUARES, targets);
}

Move* GenKingMoves(const Position& pos, Move* list, Bitboard targets) {
  const int from = pos.king_square[pos.side];
  return EmitFrom(list, from, king_attacks[from] & targets);
}

Move* GenPawnCaptures(const Position& pos, Move* list, Bitboard origins, Bitboard targets) {
  const Bitboard pawns = pos.bitboards[PAWN][pos.side] & origins;
  if (pos.side == WHITE) {
    list = EmitPawnCaptures(pos, list, ((pawns & ~FILE_A) << 7) & targets, 7);
    return EmitPawnCaptures(pos, list, ((pawns & ~FILE_H) << 9) & targets, 9);
  }
  list = EmitPawnCaptures(pos, list, ((pawns & ~FILE_A) >> 9) & targets, -9);
  return EmitPawnCaptures(pos, list, ((pawns & ~FILE_H) >> 7) & targets, -7);
}

Move* GenPawnPromotions(const Position& pos, Move* list, Bitboard origins, Bitboard targets) {
  const int side = pos.side;
  const Bitboard pawns = pos.bitboards[PAWN][side] & origins;
  const Bitboard dests = Forward(pawns, side) & ~Occupancy(pos) & BACK_RANKS & targets;
  return EmitByOffset(list, dests, pawn_step[side], QUEEN_PROMOTION);
}

Move* GenPawnPushes(const Position& pos, Move* list, Bitboard origins, Bitboard targets) {
  const int side = pos.side;
  const Bitboard pawns = pos.bitboards[PAWN][side] & origins;
  const Bitboard singles = Forward(pawns, side) & ~BACK_RANKS & targets;
  list = EmitByOffset(list, singles, pawn_step[side], 0);
  const Bitboard second_rank = side == WHITE ? RANK_2 : RANK_7;
  const Bitboard over = Forward(pawns & second_rank, side) & ~Occupancy(pos);
  return EmitByOffset(list, Forward(over, side) & targets, 2 * pawn_step[side], 0);
}

Move* GenCastling(const Position& pos, Move* list) {
  const int side = pos.side, home = KING_HOME[side], enemy = side ^ 1;
  const Bitboard occ = Occupancy(pos);
  const uint8_t king_side = side == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
  const uint8_t queen_side = side == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
  if ((pos.state.castling & king_side) && !(occ & (square_bit[home + 1] | square_bit[home + 2])) &&
      CastlePathSafe(pos, home, enemy))
    *list++ = MoveWord(home, home + 2);
  if ((pos.state.castling & queen_side) &&
      !(occ & (square_bit[home - 1] | square_bit[home - 2] | square_bit[home - 3])) &&
      !SquareAttacked(pos, home - 1, enemy) && !SquareAttacked(pos, home, enemy))
    *list++ = MoveWord(home, home - 2);
  return list;
}

Move* GenCaptures(const Position& pos, Move* list) {
  const Bitboard enemies = pos.bitboards[ALL_PIECES][pos.side ^ 1];
  list = GenPieceMoves(pos, list, enemies);
  list = GenKingMoves(pos, list, enemies);
  list = GenPawnPromotions(pos, list, ALL_SQUARES, BACK_RANKS);
  const int ep = pos.state.ep_square;
  list = GenPawnCaptures(pos, list, ALL_SQUARES, enemies | (ep >= 0 ? square_bit[ep] : 0));
  *list = 0;
  return list;
}

Move* GenQuiet(const Position& pos, Move* list) {
  const Bitboard empty = ~Occupancy(pos);
  list = GenPieceMoves(pos, list, empty);
  list = GenKingMoves(pos, list, empty);
  list = GenCastling(pos, list);
  list = GenPawnPushes(pos, list, ALL_SQUARES, empty);
  *list = 0;
  return list;
}

Move* GenEvasions(const Position& pos, Move* list) {
  const int side = pos.side, enemy = side ^ 1, king = pos.king_square[side];
  const Bitboard checkers = AttackersOf(pos, king, enemy);
  if (!checkers) {  // not in check after all: nothing to evade
    *list = 0;
    return list;
  }
  const int first = FirstBit(checkers), second = LastBit(checkers);
  const bool single = SingleBit(checkers);
  const int d1 = KindOf(pos.board[first]) == PAWN ? 0 : direction[first][king];
  const int d2 = single || KindOf(pos.board[second]) == PAWN ? 0 : direction[second][king];
  // King steps, never away along a checking line the king itself still covers.
  for (Bitboard steps = king_attacks[king] & ~pos.bitboards[ALL_PIECES][side]; steps; steps &= steps - 1) {
    const int to = FirstBit(steps);
    const int d = direction[king][to];
    if (d != d1 && d != d2 && !SquareAttacked(pos, to, enemy)) *list++ = MoveWord(king, to);
  }
  if (single) {
    const Bitboard block = direction[first][king] ? between[first][king] : 0;
    const Bitboard targets = checkers | block;
    const Bitboard origins = ~PinnedPieces(pos, king);
    list = GenPieceMovesFrom(pos, list, origins, targets);
    list = GenPawnPromotions(pos, list, origins, targets);
    Bitboard capture_targets = checkers;
    const int ep = pos.state.ep_square;
    if (ep >= 0 && (ep == first + 8 || ep == first - 8)) capture_targets |= square_bit[ep];
    Move* const captures = list;
    list = GenPawnCaptures(pos, list, origins, capture_targets);
    list = DropExposingEpCaptures(pos, captures, list);
    list = GenPawnPushes(pos, list, origins, block & ~Occupancy(pos));
  }
  *list = 0;
  return list;
}

Move* GenQuietChecks(const Position& pos, Move* list) {
  const int side = pos.side, enemy_king = pos.king_square[side ^ 1];
  const Bitboard empty = ~Occupancy(pos);
  const Bitboard straight = RookAttacks(pos, enemy_king), diagonal = BishopAttacks(pos, enemy_king);
  // 1. Queens: direct checks only (a queen first on a line would already check).
  for (Bitboard queens = pos.bitboards[QUEEN][side]; queens; queens &= queens - 1) {
    const int from = FirstBit(queens);
    list = EmitFrom(list, from, QueenAttacks(pos, from) & (straight | diagonal) & empty);
  }
  // 2, 3. Rooks and bishops: direct, then discovered along the other kind of line.
  list = GenSliderChecks(pos, list, ROOK, straight, BISHOP);
  list = GenSliderChecks(pos, list, BISHOP, diagonal, ROOK);
  // 4. Knights.
  const Bitboard knight_direct = knight_attacks[enemy_king];
  for (Bitboard knights = pos.bitboards[KNIGHT][side]; knights; knights &= knights - 1) {
    const int from = FirstBit(knights);
    const Bitboard dests = knight_attacks[from] & empty;
    list = EmitFrom(list, from, dests & knight_direct);
    if (ShieldsLine(pos, enemy_king, from, side)) list = EmitFrom(list, from, dests & ~knight_direct);
  }
  // 5. King stepping off a line it shields.
  const int own_king = pos.king_square[side];
  if (ShieldsLine(pos, enemy_king, own_king, side)) {
    const int d = direction[enemy_king][own_king];
    for (Bitboard steps = king_attacks[own_king] & empty; steps; steps &= steps - 1) {
      const int to = FirstBit(steps);
      if (direction[own_king][to] != d && direction[own_king][to] != -d) *list++ = MoveWord(own_king, to);
    }
  }
  // 6. Castling that checks with the rook.
  list = GenCastlingChecks(pos, list);
  // 7. Pawn pushes onto squares that attack the king.
  list = GenPawnPushes(pos, list, ALL_SQUARES, pawn_attacks[enemy_king][side ^ 1] & empty);
  // 8. Pawn pushes off a rank or diagonal they shield.
  Bitboard shielding = 0;
  for (Bitboard pawns = pos.bitboards[PAWN][side] & (straight | diagonal); pawns; pawns &= pawns - 1) {
    const int sq = FirstBit(pawns);
    const int d = direction[enemy_king][sq];
    if (d != 8 && d != -8 && ShieldsLine(pos, enemy_king, sq, side)) shielding |= square_bit[sq];
  }
  if (shielding) list = GenPawnPushes(pos, list, shielding, empty);
  *list = 0;
  return list;
}

bool MoveIsLegal(const Position& pos, Move move) {
  const int from = MoveFrom(move), to = MoveTo(move), side = pos.side;
  if (KindOf(pos.board[from]) == KING) return !SquareAttacked(pos, to, side ^ 1);
  const int king = pos.king_square[side];
  if (MoveIsEnPassant(move) && EpExposesKing(pos, from, to, side, side, king)) return false;
  return !ExposesKing(pos, from, to, side, king);
}

bool MoveIsValid(const Position& pos, Move move) {
  if (move == 0) return false;
  const int from = MoveFrom(move), to = MoveTo(move), side = pos.side;
  const int piece = pos.board[from], victim = pos.board[to];
  if (piece == 0 || SideOf(piece) != side) return false;
  if (victim != 0 && (SideOf(victim) == side || KindOf(victim) == KING)) return false;
  if (!FlagsFit(pos, move, from, to)) return false;
  // In check the king's own square hides squares behind it and pieces must
  // answer the check: only the evasion list decides soundly.
  if (pos.state.in_check) return IsListedEvasion(pos, move);
  const int kind = KindOf(piece), king = pos.king_square[side];
  switch (kind) {
    case PAWN:
      return PawnMoveIsValid(pos, from, to);
    case KNIGHT:
      return (knight_attacks[from] & square_bit[to]) && !IsPinned(pos, from);
    case BISHOP:
    case ROOK:
    case QUEEN: {
      if (between[from][to] & Occupancy(pos)) return false;
      if (kind != QUEEN && SliderKindOf(direction[from][to]) != kind) return false;
      return !ExposesKing(pos, from, to, side, king);
    }
    case KING:
      if (distance[from][to] == 2 && RankOf(from) == RankOf(to)) return CastlingIsValid(pos, from, to);
      return (king_attacks[from] & square_bit[to]) && !SquareAttacked(pos, to, side ^ 1);
    default:
      return false;
  }
}

bool MoveGivesCheck(const Position& pos, Move move) {
  const int from = MoveFrom(move), to = MoveTo(move), side = pos.side;
  const int enemy_king = pos.king_square[side ^ 1];
  const int kind = KindOf(pos.board[from]);
  if (kind == KING && (to - from == 2 || from - to == 2))
    return CastlingGivesCheck(pos, from, to, enemy_king);
  if (ExposesKing(pos, from, to, side ^ 1, enemy_king)) return true;
  if (kind != PAWN) return PieceChecksFrom(pos, kind, to, enemy_king);
  if (pawn_attacks[to][side] & square_bit[enemy_king]) return true;
  const int promotion = MovePromotion(move);
  if (!promotion) {
    return MoveIsEnPassant(move) && EpExposesKing(pos, from, to, side, side ^ 1, enemy_king);
  }
  const int d = direction[enemy_king][from];
  if (d != 0 && d == direction[enemy_king][to]) {
    // Promoting along a line to the king: the pawn's own square opens.
    return (promotion == QUEEN || promotion == SliderKindOf(d)) &&
           !(between[from][enemy_king] & Occupancy(pos));
  }
  return PieceChecksFrom(pos, promotion, to, enemy_king);
}

bool CastlePathSafe(const Position& pos, int first, int by) {
  return !SquareAttacked(pos, first + 1, by) && !SquareAttacked(pos, first + 2, by);
}

bool CastleSquaresSafe(const Position& pos, int first, int by) {
  return !SquareAttacked(pos, first, by) && CastlePathSafe(pos, first, by);
}

bool PushIsPassed(const Position& pos, Move move) {
  const int piece = pos.board[MoveFrom(move)];
  if (KindOf(piece) != PAWN) return false;
  const int side = SideOf(piece);
  return !(front_span[MoveTo(move)][side] & pos.bitboards[PAWN][side ^ 1]);
}
