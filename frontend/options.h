// Command-line options and the processor-count check.
#pragma once

// The values start-up hands to InitEngine.
struct EngineOptions {
  int hash_log;      // transposition table of 2^(hash_log + 15) entries
  int thread_count;  // search threads including the main thread (MP)
  int split_root;    // non-zero: the parallel search may split at the root (MP)
  int split_nodes;   // non-zero: it may split at inner nodes (MP)
};

inline constexpr int MAX_HASH_LOG = 12;       // 64-bit builds
inline constexpr int MAX_HASH_LOG_32BIT = 11;
inline constexpr int MAX_THREADS = 8;

// Reads "hashsize=", "threads=", "splitroot=", "splitnodes=" from the
// arguments after the program's name; a later argument wins. `cores` is
// the processor count the threads default to; threads are raised to at
// least 2. Only the MP builds use the thread and split values.
EngineOptions ReadOptions(int argc, const char* const* argv, int cores);

// The processor count for an MP build: "NUMBER_OF_PROCESSORS" read into a
// 3-byte buffer when it is set; unset, 0 on Windows (which always sets it)
// and the operating system's count elsewhere.
int CountProcessors();

// True when an MP build may start: at least as many processors as the
// requested threads (before they are capped at 8).
bool EnoughProcessors(const EngineOptions& options, int cores);

// Clamps the options to their ranges (hash size by word size; threads
// capped at 8).
void ClampOptions(EngineOptions& options);

// The leading-digits integer of a text ("12x" gives 12, "x" gives 0).
int ReadInteger(const char* text);
