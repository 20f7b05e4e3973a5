// The options a UCI front end can set: Hash, Threads (MP builds), Ponder,
// OwnBook, MultiPV, Move Overhead, Clear Hash and UCI_AnalyseMode (accepted;
// the engine analyses the same way either way).
#pragma once

#include <cstdint>

// Keeps the hash size and thread count the program started with: "uci"
// shows them as the defaults.
void RememberStartupOptions();

// Writes one "option ..." line per option, with its start-up default.
void WriteUciOptions();

// "setoption name NAME [value VALUE]", given the text after "setoption".
// Unknown names and unusable values are explained in an "info string"
// line and change nothing.
void ApplyUciOption(const char* text);

// Whether the engine may play moves from its opening book ("OwnBook").
bool UciOwnBook();

// Milliseconds kept in hand for a slow link ("Move Overhead").
int32_t UciMoveOverheadMs();
