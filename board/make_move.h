// Making and unmaking moves and null moves. Every change of a position goes
// SaveState -> MakeMove (or MakeNull) -> ... -> UnmakeMove (or UnmakeNull)
// with the same UndoRecord, strictly nested.
#pragma once

#include "board/position.h"

// Copies what a move may change wholesale into undo and records the key in
// the key history. The history is a ring of KEY_HISTORY_SIZE entries, so a
// game longer than that never writes outside it (see KeyHistoryIndex).
void SaveState(Position& pos, UndoRecord& undo);

// Applies a pseudo-legal move of the side to move to every view of the
// position. check_hint is 0 or 1 when the caller knows whether the move
// checks, anything else to have it computed.
void MakeMove(Position& pos, UndoRecord& undo, Move move, int check_hint);

// Exact inverse of SaveState followed by MakeMove with the same undo and move.
void UnmakeMove(Position& pos, const UndoRecord& undo, Move move);

// The key the position will have after the pseudo-legal move, without
// making it; lets the search start loading a child's table entries early.
uint64_t KeyAfterMove(const Position& pos, Move move);

// Passes the turn (after SaveState); resets the fifty-move clock.
void MakeNull(Position& pos);

// Takes a null move back.
void UnmakeNull(Position& pos, const UndoRecord& undo);

// Called by MakeMove and MakeNull as soon as the new position's keys are
// final, so that the layers above can start loading the table entries the
// search and evaluation will probe for it. Null until one installs it.
using KeyKnownHook = void (*)(const Position& pos);
extern KeyKnownHook key_known_hook;
