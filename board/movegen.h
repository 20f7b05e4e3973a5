// Move generation: building blocks, the list generators the search asks
// for in stages, and the tests on single move words.
//
// Generators write into the caller's array from the given slot and return
// the slot after the last move; the list generators also write a 0 word
// there, which the next generator may overwrite. No generator checks the
// array's length: callers size arrays with MAX_MOVES.
#pragma once

#include "board/position.h"

// Room for any move list of any position PositionIsPlayable accepts, which
// allows per side up to 7 pieces of each kind and 15 pawns. Destinations
// are at most 27 per queen, 14 per rook, 13 per bishop, 8 per knight and 8
// for the king (5 steps and 2 castlings on its home square). A pawn has at
// most 4 generated moves (push, double push, two captures), or 3 queen
// promotions on the seventh rank, which the full legal list turns into 12;
// at most 8 pawns stand on the seventh rank. So:
//   full legal list   7*27 + 7*14 + 7*13 + 7*8 + 8 + 8*12 + 7*4 = 566,
//   pseudo-legal list (captures then quiet moves)                 <= 502,
//   quiet checks (each move once, a pawn push at most twice)      <= 502,
// each plus the terminator.
inline constexpr int MAX_MOVES = 576;

// Moves of rooks and queens along lines, then of bishops and queens along
// diagonals, then knight moves, onto targets; only pieces on origins.
Move* GenPieceMovesFrom(const Position& pos, Move* list, Bitboard origins, Bitboard targets);

// The same for every piece of the side to move.
Move* GenPieceMoves(const Position& pos, Move* list, Bitboard targets);

// King steps onto targets.
Move* GenKingMoves(const Position& pos, Move* list, Bitboard targets);

// Diagonal pawn steps onto targets: those to the a-file side first. A step
// onto the first or eighth rank is a queen promotion; onto an empty square
// it is an en-passant capture.
Move* GenPawnCaptures(const Position& pos, Move* list, Bitboard origins, Bitboard targets);

// Single pushes onto empty last-rank targets, as queen promotions.
Move* GenPawnPromotions(const Position& pos, Move* list, Bitboard origins, Bitboard targets);

// Non-promoting single pushes onto targets, then double pushes over an empty square.
Move* GenPawnPushes(const Position& pos, Move* list, Bitboard origins, Bitboard targets);

// Castling moves whose path is empty and whose passed squares are safe;
// the queen-side destination is left to MoveIsLegal.
Move* GenCastling(const Position& pos, Move* list);

// Captures and queen promotions, pseudo-legal; terminated.
Move* GenCaptures(const Position& pos, Move* list);

// Non-capturing, non-promoting moves, pseudo-legal; terminated.
Move* GenQuiet(const Position& pos, Move* list);

// Every legal reply to a check (queen promotions only); terminated. An
// empty list means checkmate.
Move* GenEvasions(const Position& pos, Move* list);

// Quiet moves that check directly or by discovery, pseudo-legal; a pawn
// push that does both appears twice; terminated.
Move* GenQuietChecks(const Position& pos, Move* list);

// A pseudo-legal move of the side to move, which is not in check, does not
// leave its own king attacked.
bool MoveIsLegal(const Position& pos, Move move);

// Any 16-bit word (from a hash table, say) is a legal move here with the
// exact flags the generators would give it (any of the four promotion
// kinds on a promotion); safe to make when true.
bool MoveIsValid(const Position& pos, Move move);

// The move, legal here, checks the opponent's king.
bool MoveGivesCheck(const Position& pos, Move move);

// Neither first + 1 nor first + 2 is attacked by side by.
bool CastlePathSafe(const Position& pos, int first, int by);

// None of first, first + 1, first + 2 is attacked by side by.
bool CastleSquaresSafe(const Position& pos, int first, int by);

// The move is a pawn move and no opponent pawn stands in front of its
// destination on its own or the neighbouring files.
bool PushIsPassed(const Position& pos, Move move);
