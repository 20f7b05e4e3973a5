// The running search's state bits, the input polling and the abort: the
// one place where the search looks at the world outside the board.
#pragma once

#include <atomic>
#include <cstdint>

#include "search/search.h"
#include "search/search_state.h"

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

// Stops every split point under the main record on an abort. The parallel
// search, which sits above this file, registers it; null when it has not.
void SetSplitStopper(void (*stop)());
