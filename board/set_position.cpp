// The lenient position-text reader.
#include "board/set_position.h"

#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/psq_pairs.h"

namespace {

// Every byte up to a blank except the terminating zero.
bool IsWhiteSpace(const unsigned char* p) { return *p != 0 && *p <= ' '; }

// The first character at or after p that is not white space.
const unsigned char* SkipWhiteSpace(const unsigned char* p) {
  while (IsWhiteSpace(p)) ++p;
  return p;
}

// The piece code of a piece letter, 0 for any other character.
int PieceCodeOfLetter(unsigned char c) {
  if (c == ' ' || c == 0) return 0;
  const char* found = std::strchr(PIECE_LETTERS, c);
  return found ? static_cast<int>(found - PIECE_LETTERS) : 0;
}

// Puts a piece on an empty square, in every view of the position.
void PlacePiece(Position& pos, int code, int sq) {
  const int side = SideOf(code), kind = KindOf(code);
  pos.board[sq] = static_cast<int8_t>(code);
  pos.bitboards[ALL_PIECES][side] |= square_bit[sq];
  pos.bitboards[kind][side] |= square_bit[sq];
  pos.rotated_a1h8 |= a1h8_bit[sq];
  pos.rotated_h1a8 |= h1a8_bit[sq];
  pos.rotated_files |= file_bit[sq];
  pos.key ^= piece_keys[code][sq];
  if (kind == KING) {
    pos.king_square[side] = static_cast<uint8_t>(sq);
  } else if (kind == PAWN) {
    pos.pawn_files[side] |= file_bit[sq];
    pos.pawn_key ^= piece_keys[code][sq];
    pos.material += MaterialUnit(side, PAWN);
  } else {
    pos.material += MaterialUnit(side, kind);
    ++pos.piece_count[side];
  }
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  pos.pst_mid = static_cast<int16_t>(pos.pst_mid + psq_pair[code][sq].mid);
  pos.pst_end = static_cast<int16_t>(pos.pst_end + psq_pair[code][sq].end);
#endif
#if defined(QUORVEL_PASSIVE)
  pos.state.phase_count = static_cast<int8_t>(pos.state.phase_count - PHASE_WEIGHT[kind]);
#elif defined(QUORVEL_INERT)
  pos.material_units += INERT_UNIT[code];
  pos.material_index += INERT_WEIGHT[code];
#endif
}

// Reads the board field up to and including the blank that ends it.
const unsigned char* ReadBoard(Position& pos, const unsigned char* p) {
  int rank = 7, file = 0;
  while (*p && rank >= 0) {
    const unsigned char c = *p++;
    if (c == ' ') break;
    if (const int code = PieceCodeOfLetter(c)) {
      if (file < 8) PlacePiece(pos, code, SquareOf(file, rank));
      file = file < 8 ? file + 1 : 8;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) file = 8;  // the rest of an overlong rank is dropped
    } else if (c == '-') {
      file = file < 8 ? file + 1 : 8;
    } else if (c == '/') {
      file = 0;
      --rank;
    }
  }
  return p;
}

// Keeps only the rights whose king and rook stand on their home squares.
uint8_t PlausibleRights(const Position& pos, uint8_t rights) {
  struct Home {
    uint8_t right;
    int king, rook, side;
  };
  static constexpr Home HOMES[4] = {
      {WHITE_KING_SIDE, 4, 7, WHITE}, {WHITE_QUEEN_SIDE, 4, 0, WHITE},
      {BLACK_KING_SIDE, 60, 63, BLACK}, {BLACK_QUEEN_SIDE, 60, 56, BLACK}};
  for (const Home& home : HOMES)
    if (pos.board[home.king] != PieceCode(home.side, KING) ||
        pos.board[home.rook] != PieceCode(home.side, ROOK))
      rights = static_cast<uint8_t>(rights & ~home.right);
  return rights;
}

// An en-passant square is kept when a double push could have left it: on
// the third rank behind the pushed pawn for the side to move, empty, with
// the enemy pawn in front of it.
bool PlausibleEpSquare(const Position& pos, int sq) {
  const int side = pos.side, enemy = side ^ 1;
  if (RankOf(sq) != (side == WHITE ? 5 : 2) || pos.board[sq] != 0) return false;
  return pos.board[sq - pawn_step[side]] == PieceCode(enemy, PAWN);
}

}  // namespace

bool SetPosition(Position& pos, const char* text) {
  std::memset(&pos, 0, sizeof pos);
#if defined(QUORVEL_PASSIVE)
  pos.state.phase_count = 24;
#endif
  pos.state.ep_square = -1;
  const unsigned char* p = SkipWhiteSpace(reinterpret_cast<const unsigned char*>(text));
  uint8_t rights = 0;
  int ep_square = -1;
  if (*p) {
    p = ReadBoard(pos, p);
    if (*p) pos.side = *p++ == 'w' ? WHITE : BLACK;
    p = SkipWhiteSpace(p);
    static constexpr struct { char letter; uint8_t right; } CASTLING_LETTERS[4] = {
        {'K', WHITE_KING_SIDE}, {'Q', WHITE_QUEEN_SIDE}, {'k', BLACK_KING_SIDE}, {'q', BLACK_QUEEN_SIDE}};
    for (const auto& entry : CASTLING_LETTERS)
      if (*p == entry.letter) {
        rights |= entry.right;
        ++p;
      }
    p = SkipWhiteSpace(p);
    while (*p == '-') ++p;
    p = SkipWhiteSpace(p);
    if (p[0] >= 'a' && p[0] <= 'h' && p[1] >= '1' && p[1] <= '8')
      ep_square = (p[1] - '1') * 8 + (p[0] - 'a');
  }
  pos.state.castling = PlausibleRights(pos, rights);
  if (ep_square >= 0 && PlausibleEpSquare(pos, ep_square)) pos.state.ep_square = static_cast<int8_t>(ep_square);
  pos.key ^= castle_key_sets[pos.state.castling];
  if (pos.state.ep_square >= 0) pos.key ^= ep_keys[pos.state.ep_square & 7];
  if (pos.side == WHITE) pos.key ^= side_key;
  pos.state.capture_square = -1;
  pos.state.in_check = SquareAttacked(pos, pos.king_square[pos.side], pos.side ^ 1);
  return pos.state.in_check != 0;
}

bool PositionIsPlayable(const Position& pos) {
  for (int side = BLACK; side <= WHITE; ++side) {
    if (!SingleBit(pos.bitboards[KING][side])) return false;
    if (BitCount(pos.bitboards[PAWN][side]) > 15) return false;
    for (int kind = KNIGHT; kind <= QUEEN; ++kind)
      if (BitCount(pos.bitboards[kind][side]) > 7) return false;
  }
  if ((pos.bitboards[PAWN][BLACK] | pos.bitboards[PAWN][WHITE]) & (RANK_1 | RANK_8)) return false;
  const int side = pos.side;
  if (SquareAttacked(pos, pos.king_square[side ^ 1], side)) return false;
  return BitCount(AttackersOf(pos, pos.king_square[side], side ^ 1)) <= 2;
}
