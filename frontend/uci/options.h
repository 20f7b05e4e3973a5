// The options a UCI front end can set: Hash, Threads (MP builds), Ponder,
// OwnBook, MultiPV, Move Overhead, Clear Hash and UCI_AnalyseMode (accepted;
// the engine analyses the same way either way).
#pragma once

#include <cstdint>

// Hash sizes in MiB: the table holds 2^(hash_log + 15) entries of 16
// bytes, 2^(hash_log - 1) MiB, so the steps run from 1 MiB (hash_log 1)
// to 2048 MiB (12; 1024 MiB, 11, in the 32-bit programs).
int HashMiB(int hash_log);

// The largest step that is not above `mib` (the smallest for less).
int HashLogForMiB(int64_t mib);

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
