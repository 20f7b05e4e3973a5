// The running search's state bits, the input polling and the abort: the
// one place where the search looks at the world outside the board.
#pragma once

#include <atomic>
#include <cstdint>

#include "search/search.h"

// search_state bits.
inline constexpr uint8_t ITERATION_DONE = 0x01;  // an iteration completed in this search
inline constexpr uint8_t ABORT = 0x02;           // the search is to end now

// search_flags bits, the clock-control memory of the running search.
inline constexpr uint8_t SCORE_DROPPED = 0x01;   // new best root score 50 below the last iteration's
inline constexpr uint8_t DROPPED_BEFORE = 0x02;  // the last iteration ended with a dropped score
inline constexpr uint8_t RESEARCHED = 0x04;      // a root move was searched again
inline constexpr uint8_t EASY_MOVE = 0x08;       // one root move stands out
inline constexpr uint8_t TIME_UP = 0x10;         // the clock says stop
inline constexpr uint8_t INPUT_STOP = 0x20;      // input stopped the search
inline constexpr uint8_t ALL_SEARCH_FLAGS = 0x3F;

// Single bytes shared with helper threads later on; relaxed order, since
// a late view only moves a stop to the next checkpoint.
extern std::atomic<uint8_t> search_state;
extern std::atomic<uint8_t> search_flags;

inline bool StateSet(uint8_t bits) { return (search_state.load(std::memory_order_relaxed) & bits) != 0; }
inline void SetState(uint8_t bits) { search_state.fetch_or(bits, std::memory_order_relaxed); }
inline void ClearState(uint8_t bits) { search_state.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_relaxed); }
inline bool FlagSet(uint8_t bits) { return (search_flags.load(std::memory_order_relaxed) & bits) != 0; }
inline void SetFlags(uint8_t bits) { search_flags.fetch_or(bits, std::memory_order_relaxed); }
inline void ClearFlags(uint8_t bits) { search_flags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_relaxed); }

// A root move was searched again: the clock must not stop it cheaply now.
inline void MarkResearched() {
  SetFlags(RESEARCHED);
  ClearFlags(EASY_MOVE | TIME_UP);
}

// The tick byte; points at a byte nobody raises until the front end
// registers its own.
extern std::atomic<uint8_t>* poll_flag;

// Set when no tick thread raises the flag; main thread only.
extern bool self_timed_polls;
bool SelfTimedPollDue();

// True once per raised tick: the byte is cleared when seen.
inline bool PollDue() {
  if (self_timed_polls) return SelfTimedPollDue();
  if (poll_flag->load(std::memory_order_relaxed) == 0) return false;
  poll_flag->store(0, std::memory_order_relaxed);
  return true;
}

// Reads waiting input through the registered poller; true when a command
// stops the search. False when no poller is registered.
bool PollInputOnce();

// Whether the search has reached its node limit ("go nodes"), if it has one.
inline bool NodeLimitReached() {
  const uint64_t limit = search_record.request.node_limit;
  return limit != 0 && SearchedNodes() >= limit;
}

// Reads input (and, with a clock, the time) and may set ABORT; so does a
// reached node limit.
void TimeCheck();

// TimeCheck unless an abort is already pending; on abort stops every
// split point and leaves the search of this thread by its jump point.
// Never returns then.
void CheckTimeAndInput(SearchThread& t);

// The same without the jump, for the main thread while it waits at its
// own split point: an abort only stops the split points.
void CheckTimeAndInputNoJump();
