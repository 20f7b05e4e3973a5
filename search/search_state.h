// The running search's state bits and clock-control flags: plain shared
// bytes that the clock rules, the search control and the parallel search
// all read, kept below them so that none has to include another for them.
#pragma once

#include <atomic>
#include <cstdint>

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
