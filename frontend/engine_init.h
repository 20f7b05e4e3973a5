// Building every table and thread the engine needs, and releasing them.
#pragma once

#include <cstdint>

#include "frontend/options.h"

// Attack tables, hash keys, transposition table, castling masks,
// evaluation tables and, in MP builds, the worker threads, in that order.
void InitEngine(const EngineOptions& options);

// (Re)allocates the transposition table with 2^(hash_log + 15) entries, or
// the largest size below that memory allows; without even the smallest one
// the engine cannot play and ends. Returns the size used.
int AllocateTranspositionTable(int hash_log);

// The hash_log of the table allocated now.
extern int table_hash_log;

// Hash sizes in MiB: the table holds 2^(hash_log + 15) entries of 16
// bytes, 2^(hash_log - 1) MiB, so the steps run from 1 MiB (hash_log 1)
// to 2048 MiB (12; 1024 MiB, 11, in the 32-bit programs).
int HashMiB(int hash_log);
int MaxHashLog();

// The largest step that is not above `mib` (the smallest for less).
int HashLogForMiB(int64_t mib);

// Releases the transposition table.
void FreeEngine();

// The number of search threads, the main thread included (1 in SP builds).
extern int thread_count;
extern int split_root;
extern int split_nodes;
