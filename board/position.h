// The position record shared by every subsystem, with squares, piece
// codes, the 16-bit move word and the undo record.
#pragma once

#include <cstdint>

#include "board/bitboard.h"
#include "platform/build_flavour.h"

// Squares: rank * 8 + file, a1 = 0, h8 = 63.
inline constexpr int SquareOf(int file, int rank) { return rank * 8 + file; }
inline constexpr int RankOf(int square) { return square >> 3; }
inline constexpr int FileOf(int square) { return square & 7; }

// Sides: the opponent of side s is s ^ 1.
inline constexpr int BLACK = 0;
inline constexpr int WHITE = 1;

// Piece kinds; kind 0 indexes a side's whole occupancy.
inline constexpr int ALL_PIECES = 0;
inline constexpr int PAWN = 1;
inline constexpr int KNIGHT = 2;
inline constexpr int BISHOP = 3;
inline constexpr int ROOK = 4;
inline constexpr int QUEEN = 5;
inline constexpr int KING = 6;

// A piece code is side * 8 + kind; 0 is an empty square.
inline constexpr int PieceCode(int side, int kind) { return side * 8 + kind; }
inline constexpr int SideOf(int code) { return code >> 3; }
inline constexpr int KindOf(int code) { return code & 7; }

// The letter of each piece code.
inline constexpr char PIECE_LETTERS[] = " pnbrqk  PNBRQK ";

// Forward pawn step by side.
inline constexpr int pawn_step[2] = {-8, 8};

// Castling-right bits.
inline constexpr uint8_t WHITE_KING_SIDE = 1;
inline constexpr uint8_t WHITE_QUEEN_SIDE = 2;
inline constexpr uint8_t BLACK_KING_SIDE = 4;
inline constexpr uint8_t BLACK_QUEEN_SIDE = 8;

// Move word:
//   bits 0..5   destination square
//   bits 6..11  origin square
//   bits 12..14 promotion kind (0 none, 2 knight .. 5 queen)
//   bit 15      en-passant capture (so the word is negative as int16_t)
// 0 is no move; castling is a king move of two files.
using Move = uint16_t;

inline constexpr Move EN_PASSANT_FLAG = 0x8000;

inline constexpr Move MoveWord(int from, int to) {
  return static_cast<Move>(from * 64 + to);
}
inline constexpr int MoveTo(Move m) { return m & 63; }
inline constexpr int MoveFrom(Move m) { return (m >> 6) & 63; }
inline constexpr int MovePromotion(Move m) { return (m >> 12) & 7; }
inline constexpr bool MoveIsEnPassant(Move m) { return (m & EN_PASSANT_FLAG) != 0; }

// The eight bytes saved and restored as one unit by the undo record.
struct PositionState {
  uint16_t fifty_clock;   // half-moves since a capture, pawn move or null move
  int8_t ep_square;       // square behind a double-pushed pawn, or -1
  int8_t capture_square;  // destination of the last move if it captured, or -1
  uint8_t in_check;       // 1 when the side to move is in check
  uint8_t castling;       // castling-right bits
  uint8_t captured;       // piece code taken by the last move, 0 if none
#if defined(QUORVEL_PASSIVE)
  int8_t phase_count;     // 24 minus the phase weights of the pieces on board
#else
  uint8_t spare;
#endif
};
static_assert(sizeof(PositionState) == 8, "the state group is eight bytes");

inline constexpr int KEY_HISTORY_SIZE = 1024;

// The key_history slot of a game ply. The history is used as a ring, so no
// game length writes outside it; the last KEY_HISTORY_SIZE plies keep
// distinct slots, far more than any search or repetition test looks back.
inline constexpr int KeyHistoryIndex(int game_ply) { return game_ply & (KEY_HISTORY_SIZE - 1); }

// The position record: one per search thread, record 0 being the game.
// Every view (bitboards, rotated boards, pawn files, board array, keys,
// material signature, counters, accumulators) is kept in step by set-up,
// make and unmake.
struct Position {
  Bitboard bitboards[7][2];  // [kind][side]; kind 0 is the side's occupancy
  Bitboard rotated_a1h8;     // occupancy with each a1-h8 diagonal contiguous
  Bitboard rotated_h1a8;     // occupancy with each h1-a8 diagonal contiguous
  Bitboard rotated_files;    // occupancy file-major: byte f = file f, bit 0 = rank 8
  Bitboard pawn_files[2];    // each side's pawns in the file-major layout
  uint64_t key;              // position hash key
  uint64_t pawn_key;         // hash key of the pawns alone
#if defined(QUORVEL_INERT)
  int32_t material_units;    // piece units, White positive
  uint32_t material_index;   // mixed-radix index into the material table
#endif
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  int16_t pst_mid;           // sum of the middle-game piece-square values
  int16_t pst_end;           // sum of the end-game piece-square values
#endif
  // Packed counts per side: Black in bits 0..15, White in 16..31; within a
  // side pawns in bits 0..3 and kind k (2..5) from bit 3k - 2, 3 bits each.
  uint32_t material;
  PositionState state;
  uint8_t piece_count[2];    // knights, bishops, rooks and queens per side
  uint8_t king_square[2];
  int16_t game_ply;          // moves made since set-up; index into key_history
  uint8_t side;              // side to move, 1 = White
  uint8_t ply;               // distance from the root of the current search
  int8_t board[64];          // piece code per square
  uint64_t nodes;            // moves made on this record
  uint64_t key_history[KEY_HISTORY_SIZE];  // key when game_ply was i
};

// What one made move needs to be taken back; owned by the caller.
struct UndoRecord {
  Bitboard occupied[2];
  Bitboard moved;        // mover's bitboard of the moving kind, before the move
  Bitboard rook;         // mover's rooks before a castling move
  Bitboard victim;       // opponent's bitboard of the captured kind
  Bitboard promoted;     // mover's bitboard of the promotion kind
  Bitboard pawn_files[2];
  Bitboard rotated[3];   // a1h8, h1a8, files
  uint64_t pawn_key;
  uint32_t material;
#if defined(QUORVEL_INERT)
  int32_t material_units;
  uint32_t material_index;
#endif
#if defined(QUORVEL_PASSIVE) || defined(QUORVEL_INERT)
  int16_t pst_mid;
  int16_t pst_end;
#endif
  PositionState state;
};

// The material signature's increment for one piece of a kind and side.
inline constexpr uint32_t MaterialUnit(int side, int kind) {
  return (kind == PAWN ? 1u : 1u << (3 * kind - 2)) << (16 * side);
}
