// The game as the front end keeps it: the position, the moves played and
// how to take them back, and the legal moves.
#pragma once

#include "board/position.h"

// Room for the longest legal list with every promotion kind.
inline constexpr int LEGAL_LIST_SIZE = 256;

// The game record holds at most this many moves; a search needs the rest
// of the key history beyond the game's last position.
inline constexpr int GAME_RECORD_SIZE = 1024;
inline constexpr int GAME_MOVE_LIMIT = 768;
// How many of the oldest moves are forgotten when the limit is reached.
inline constexpr int GAME_RECORD_DROP = 256;

// Record 0: the game position, on which the main thread also searches.
extern Position game_position;

extern Move game_moves[GAME_RECORD_SIZE];
extern UndoRecord game_undo[GAME_RECORD_SIZE];
extern int game_length;
// Moves forgotten from the front of the record since the game was set up.
extern int game_moves_dropped;

extern Move legal_moves[LEGAL_LIST_SIZE];
extern int legal_count;
extern Move reply_moves[LEGAL_LIST_SIZE];
extern int reply_count;

// Whether the game's result line has been written since the engine last
// thought or a move was taken back.
extern bool result_printed;

// Counts every change of the game position, so that a reader can tell
// whether the position is still the one it last looked at.
extern uint32_t game_generation;

// Sets the game up from a position text, with no moves played, keeping
// what the search has learnt.
void SetGamePosition(const char* fen);

// Sets the game up from a position text and forgets the previous game
// (transposition table, evaluation caches, killers and history).
void NewGame(const char* fen);

// Records and makes one game move. A game that reaches GAME_MOVE_LIMIT
// forgets its oldest GAME_RECORD_DROP moves first: they can no longer be
// taken back, and they are older than any repetition or fifty-move test.
void ApplyGameMove(Move move);

// Takes the last game move back; nothing when there is none.
void TakeBack();

// Half-moves played since the game was set up, the forgotten ones included:
// the clock's moves-per-control count must not jump when the record drops
// its oldest moves.
int GameHalfMovesPlayed();

// legal_count = BuildLegalMoves(legal_moves) for the game position.
void RebuildLegalMoves();

// False after a "setboard" text that describes no playable position, until
// the next game is set up: moves are then refused and nothing is searched.
bool GamePositionIsPlayable();
void RefuseGamePosition();
