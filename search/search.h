// The search's chief header: score constants, the per-thread search record
// and the entry points the front end calls.
#pragma once

#include <atomic>
#include <csetjmp>
#include <cstdint>

#include "board/position.h"
#include "search/search_record.h"

// Scores are centipawns from the side to move's view. Being mated at ply p
// scores p - MATE; anything beyond +-MATE_BOUND is a mate score.
inline constexpr int MATE = 29800;
inline constexpr int MATE_BOUND = 29288;
// At this distance from the root every routine returns the evaluation.
inline constexpr int MAX_PLY = 249;
// A node's best score before any move has been searched.
inline constexpr int NO_SCORE = -32767;

// Room for a principal variation: one move per ply and the terminator.
inline constexpr int PV_SIZE = MAX_PLY + 2;

struct SplitPoint;

// The per-thread search data kept beside a position record: move-ordering
// memory, the quiescence check horizon and the abort jump point. Only plain
// arrays and scalars, because the abort jump crosses the frames using it.
// The MP builds keep 64 of them: record 0 searches the game position, the
// others are the pool that split work copies the position into.
struct SearchThread {
  Position* pos;                            // the record this thread searches on
  int index;                                // thread running it; 0 is the main thread
  int record;                               // own number among the 64; 0 is the game's
  SplitPoint* split;                        // MP builds: the split fields of this record
  int qcheck_limit;                         // lowest qdepth that tries quiet checks
  int sel_ply;                              // deepest ply this thread reached in the search
  std::atomic<uint64_t> shown_nodes;        // MP builds: pos->nodes as last published, for the total
  Move killers[MAX_PLY + 1][2];             // by ply; slot 0 is the newest
  uint16_t history[12][4096];               // by piece and from-to: cut-off weight
  uint16_t history_stats[12][4096][2];      // by piece and from-to: {cut-offs, tries}
  std::jmp_buf abort_jump;                  // where an abort leaves the search
};

// The main thread's search data; it searches on the game position.
extern SearchThread main_search;

// The protocol flag bits the search reads; the front end owns the byte.
inline constexpr uint8_t FLAG_PONDER = 0x02;
inline constexpr uint8_t FLAG_POST = 0x04;
extern uint8_t protocol_flags;

// Hooks the front end registers. The poller reads and parses waiting input
// and answers true when a command must stop the search; the flag is the
// byte the tick thread raises every 50 ms.
void SetInputPoller(bool (*poll)());
void SetPollFlag(std::atomic<uint8_t>* flag);

// For when no tick thread runs: the search then times its own polls,
// reading the clock every few hundred checkpoints and polling every 50 ms,
// so the clock and the input are still watched inside an iteration.
void UseSelfTimedPolls(bool on);

// Searches the game position with its legal root moves and fills
// search_record.result. The position is left exactly as it was, whether the
// search ends normally or by an abort. With root moves, the result always
// holds one of them.
void Think(Position& game, const Move* root_moves, int root_count);

// Nodes the running (or last) search has searched so far, over all its
// threads. MP builds sum what each record last published: it lags the
// work in flight by at most a node or two per thread.
uint64_t SearchedNodes();

// The deepest ply the main thread has reached in the running (or last)
// search, quiescence included: the selective depth a front end shows.
int SelectiveDepth();

// New-game reset of the search's memory: killers and history cleared, every
// history statistics pair back to (1, 1).
void ClearSearchMemory();

// New-game reset of the remembered score that centres the first window.
void ResetLastIterationScore();
