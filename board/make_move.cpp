// Incremental make and unmake over every view of the position.
#include "board/make_move.h"

#include <cstdlib>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/psq_pairs.h"

KeyKnownHook key_known_hook = nullptr;

namespace {

// Toggles sq in a side's occupancy, its kind's board and the rotated boards.
inline void ToggleSquare(Position& pos, int side, int kind, int sq) {
  pos.bitboards[ALL_PIECES][side] ^= square_bit[sq];
  pos.bitboards[kind][side] ^= square_bit[sq];
  pos.rotated_a1h8 ^= a1h8_bit[sq];
  pos.rotated_h1a8 ^= h1a8_bit[sq];
  pos.rotated_files ^= file_bit[sq];
}

// Adds (sign 1) or removes (sign -1) a piece's piece-square pair.
inline void AddPair([[maybe_unused]] Position& pos, [[maybe_unused]] int code,
                    [[maybe_unused]] int sq, [[maybe_unused]] int sign) {
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  pos.pst_mid = static_cast<int16_t>(pos.pst_mid + sign * psq_pair[code][sq].mid);
  pos.pst_end = static_cast<int16_t>(pos.pst_end + sign * psq_pair[code][sq].end);
#endif
}

// Adds (sign 1) or removes (sign -1) a piece's material terms of the build.
inline void AddMaterialTerms([[maybe_unused]] Position& pos, [[maybe_unused]] int code,
                             [[maybe_unused]] int sign) {
#if defined(QUORVEL_PASSIVE)
  pos.state.phase_count = static_cast<int8_t>(pos.state.phase_count - sign * PHASE_WEIGHT[KindOf(code)]);
#elif defined(QUORVEL_INERT)
  pos.material_units += sign * INERT_UNIT[code];
  pos.material_index += static_cast<uint32_t>(sign) * INERT_WEIGHT[code];
#endif
}

// Moves a piece between two squares on the boards, keys and pairs.
inline void MovePiece(Position& pos, int code, int from, int to) {
  const int side = SideOf(code), kind = KindOf(code);
  ToggleSquare(pos, side, kind, from);
  ToggleSquare(pos, side, kind, to);
  pos.key ^= piece_keys[code][from] ^ piece_keys[code][to];
  pos.board[to] = static_cast<int8_t>(code);
  pos.board[from] = 0;
  AddPair(pos, code, to, 1);
  AddPair(pos, code, from, -1);
}

// The castling rook's home and destination for a king move to `to`.
inline void CastlingRookSquares(int to, int& rook_from, int& rook_to) {
  const bool king_side = FileOf(to) == 6;
  rook_from = king_side ? to + 1 : to - 2;
  rook_to = king_side ? to - 1 : to + 1;
}

// Takes the victim off sq: boards, keys, counts and accumulators.
void RemoveVictim(Position& pos, UndoRecord& undo, int victim, int sq) {
  const int enemy = SideOf(victim), kind = KindOf(victim);
  undo.victim = pos.bitboards[kind][enemy];
  ToggleSquare(pos, enemy, kind, sq);
  pos.key ^= piece_keys[victim][sq];
  AddPair(pos, victim, sq, -1);
  AddMaterialTerms(pos, victim, -1);
  if (kind == PAWN) {
    undo.pawn_files[enemy] = pos.pawn_files[enemy];
    pos.pawn_files[enemy] ^= file_bit[sq];
    pos.pawn_key ^= piece_keys[victim][sq];
    pos.material -= MaterialUnit(enemy, PAWN);
  } else if (kind != KING) {
    --pos.piece_count[enemy];
    pos.material -= MaterialUnit(enemy, kind);
  }
}

// Turns the pawn that has arrived on sq into a piece of the promotion kind.
void Promote(Position& pos, UndoRecord& undo, int side, int kind, int sq) {
  const int pawn = PieceCode(side, PAWN), piece = PieceCode(side, kind);
  undo.promoted = pos.bitboards[kind][side];
  pos.board[sq] = static_cast<int8_t>(piece);
  pos.material += MaterialUnit(side, kind) - MaterialUnit(side, PAWN);
  ++pos.piece_count[side];
  pos.bitboards[PAWN][side] ^= square_bit[sq];
  pos.pawn_files[side] ^= file_bit[sq];
  pos.bitboards[kind][side] |= square_bit[sq];
  pos.key ^= piece_keys[piece][sq] ^ piece_keys[pawn][sq];
  pos.pawn_key ^= piece_keys[pawn][sq];
  AddPair(pos, piece, sq, 1);
  AddPair(pos, pawn, sq, -1);
  AddMaterialTerms(pos, piece, 1);
  AddMaterialTerms(pos, pawn, -1);
}

}  // namespace

void SaveState(Position& pos, UndoRecord& undo) {
  undo.occupied[BLACK] = pos.bitboards[ALL_PIECES][BLACK];
  undo.occupied[WHITE] = pos.bitboards[ALL_PIECES][WHITE];
  undo.rotated[0] = pos.rotated_a1h8;
  undo.rotated[1] = pos.rotated_h1a8;
  undo.rotated[2] = pos.rotated_files;
  undo.pawn_key = pos.pawn_key;
  undo.material = pos.material;
#if defined(QUORVEL_INERT)
  undo.material_units = pos.material_units;
  undo.material_index = pos.material_index;
#endif
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  undo.pst_mid = pos.pst_mid;
  undo.pst_end = pos.pst_end;
#endif
  undo.state = pos.state;
  pos.key_history[KeyHistoryIndex(pos.game_ply)] = pos.key;
}

void MakeMove(Position& pos, UndoRecord& undo, Move move, int check_hint) {
  const int side = pos.side, enemy = side ^ 1;
  const int from = MoveFrom(move), to = MoveTo(move);
  const int piece = pos.board[from], kind = KindOf(piece);
  int victim = pos.board[to], victim_square = to;
  PositionState& state = pos.state;

  ++pos.ply;
  ++pos.game_ply;
  pos.side = static_cast<uint8_t>(enemy);
  pos.key ^= side_key;
  const int kept = castle_mask[from] & castle_mask[to];
  pos.key ^= castle_key_sets[state.castling & ~kept];
  state.castling = static_cast<uint8_t>(state.castling & kept);
  if (state.ep_square >= 0) {
    pos.key ^= ep_keys[state.ep_square & 7];
    state.ep_square = -1;
  }
  ++state.fifty_clock;
  state.captured = static_cast<uint8_t>(victim);
  state.capture_square = -1;

  undo.moved = pos.bitboards[kind][side];
  MovePiece(pos, piece, from, to);
  if (kind == KING) {
    pos.king_square[side] = static_cast<uint8_t>(to);
    if (std::abs(to - from) == 2) {
      int rook_from, rook_to;
      CastlingRookSquares(to, rook_from, rook_to);
      undo.rook = pos.bitboards[ROOK][side];
      MovePiece(pos, PieceCode(side, ROOK), rook_from, rook_to);
    }
  } else if (kind == PAWN) {
    state.fifty_clock = 0;
    undo.pawn_files[side] = pos.pawn_files[side];
    pos.pawn_files[side] ^= file_bit[from] ^ file_bit[to];
    pos.pawn_key ^= piece_keys[piece][from] ^ piece_keys[piece][to];
    if (std::abs(to - from) == 16) {
      if (ep_neighbours[to] & pos.bitboards[PAWN][enemy]) {
        state.ep_square = static_cast<int8_t>((from + to) / 2);
        pos.key ^= ep_keys[to & 7];
      }
    } else if (MoveIsEnPassant(move)) {
      victim_square = to - pawn_step[side];
      victim = PieceCode(enemy, PAWN);
      state.captured = static_cast<uint8_t>(victim);
      pos.board[victim_square] = 0;
    }
  }
  if (victim) {
    state.capture_square = static_cast<int8_t>(to);
    state.fifty_clock = 0;
    RemoveVictim(pos, undo, victim, victim_square);
  }
  if (const int promotion = MovePromotion(move)) Promote(pos, undo, side, promotion, to);
  if (key_known_hook != nullptr) key_known_hook(pos);

  if (check_hint == 0 || check_hint == 1)
    state.in_check = static_cast<uint8_t>(check_hint);
  else
    state.in_check = SquareAttacked(pos, pos.king_square[enemy], side);
  ++pos.nodes;
}

void UnmakeMove(Position& pos, const UndoRecord& undo, Move move) {
  const int enemy = pos.side, side = enemy ^ 1;
  const int from = MoveFrom(move), to = MoveTo(move);
  const int capture_square = pos.state.capture_square;
  int victim = pos.state.captured;

  pos.rotated_a1h8 = undo.rotated[0];
  pos.rotated_h1a8 = undo.rotated[1];
  pos.rotated_files = undo.rotated[2];
  --pos.game_ply;
  --pos.ply;
  pos.side = static_cast<uint8_t>(side);
  pos.key = pos.key_history[KeyHistoryIndex(pos.game_ply)];
  pos.material = undo.material;
#if defined(QUORVEL_INERT)
  pos.material_units = undo.material_units;
  pos.material_index = undo.material_index;
#endif
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  pos.pst_mid = undo.pst_mid;
  pos.pst_end = undo.pst_end;
#endif
  pos.state = undo.state;
  pos.pawn_key = undo.pawn_key;

  int piece = pos.board[to], kind = KindOf(piece), victim_square = to;
  if (const int promotion = MovePromotion(move)) {
    kind = PAWN;
    piece = PieceCode(side, PAWN);
    pos.bitboards[promotion][side] = undo.promoted;
    --pos.piece_count[side];
  } else if (MoveIsEnPassant(move)) {
    pos.board[to] = 0;
    victim_square = to - pawn_step[side];
    victim = PieceCode(enemy, PAWN);
  } else if (kind == KING) {
    pos.king_square[side] = static_cast<uint8_t>(from);
    if (std::abs(to - from) == 2) {
      int rook_from, rook_to;
      CastlingRookSquares(to, rook_from, rook_to);
      pos.bitboards[ROOK][side] = undo.rook;
      pos.board[rook_to] = 0;
      pos.board[rook_from] = static_cast<int8_t>(PieceCode(side, ROOK));
    }
  }
  if (kind == PAWN) pos.pawn_files[side] = undo.pawn_files[side];
  if (capture_square >= 0 && KindOf(victim) == PAWN) pos.pawn_files[enemy] = undo.pawn_files[enemy];

  pos.bitboards[ALL_PIECES][BLACK] = undo.occupied[BLACK];
  pos.bitboards[ALL_PIECES][WHITE] = undo.occupied[WHITE];
  pos.bitboards[kind][side] = undo.moved;
  if (capture_square >= 0) {
    const int victim_kind = KindOf(victim);
    pos.bitboards[victim_kind][enemy] = undo.victim;
    if (victim_kind != PAWN && victim_kind != KING) ++pos.piece_count[enemy];
  }
  pos.board[from] = static_cast<int8_t>(piece);
  pos.board[victim_square] = static_cast<int8_t>(capture_square >= 0 ? victim : 0);
}

uint64_t KeyAfterMove(const Position& pos, Move move) {
  const int side = pos.side, enemy = side ^ 1;
  const int from = MoveFrom(move), to = MoveTo(move);
  const int piece = pos.board[from], kind = KindOf(piece);
  const int kept = castle_mask[from] & castle_mask[to];
  uint64_t key = pos.key ^ side_key ^ castle_key_sets[pos.state.castling & ~kept];
  if (pos.state.ep_square >= 0) key ^= ep_keys[pos.state.ep_square & 7];
  key ^= piece_keys[piece][from] ^ piece_keys[piece][to];
  if (pos.board[to] != 0) key ^= piece_keys[pos.board[to]][to];
  if (kind == KING && std::abs(to - from) == 2) {
    int rook_from, rook_to;
    CastlingRookSquares(to, rook_from, rook_to);
    const int rook = PieceCode(side, ROOK);
    key ^= piece_keys[rook][rook_from] ^ piece_keys[rook][rook_to];
  } else if (kind == PAWN) {
    if (std::abs(to - from) == 16) {
      if (ep_neighbours[to] & pos.bitboards[PAWN][enemy]) key ^= ep_keys[to & 7];
    } else if (MoveIsEnPassant(move)) {
      key ^= piece_keys[PieceCode(enemy, PAWN)][to - pawn_step[side]];
    }
  }
  if (const int promotion = MovePromotion(move))
    key ^= piece_keys[PieceCode(side, promotion)][to] ^ piece_keys[piece][to];
  return key;
}

void MakeNull(Position& pos) {
  ++pos.ply;
  ++pos.game_ply;
  pos.side ^= 1;
  pos.key ^= side_key;
  if (pos.state.ep_square >= 0) {
    pos.key ^= ep_keys[pos.state.ep_square & 7];
    pos.state.ep_square = -1;
  }
  if (key_known_hook != nullptr) key_known_hook(pos);
  pos.state.capture_square = -1;
  pos.state.fifty_clock = 0;
  pos.state.in_check = 0;
}

void UnmakeNull(Position& pos, const UndoRecord& undo) {
  --pos.game_ply;
  --pos.ply;
  pos.key = pos.key_history[KeyHistoryIndex(pos.game_ply)];
  pos.side ^= 1;
  pos.state = undo.state;
}
