#include "search/clock_rules.h"

#include <cstdint>

#include "platform/platform.h"
#include "search/root_search.h"
#include "search/search_record.h"
#include "search/search_state.h"

namespace {

// Fractions of the target, in 256ths, after which an iteration ends it.
constexpr int64_t EASY_MOVE_FRACTION = 51;
constexpr int64_t SETTLED_FRACTION = 154;

// Milliseconds since the search began; the 32-bit clock may wrap.
int32_t ElapsedSinceStart() {
  return static_cast<int32_t>(platform::TickCountMs() - root.search_start);
}

}  // namespace

void CheckClockDuringIteration() {
  const SearchRequest& request = search_record.request;
  if (!request.timed) return;
  const int32_t elapsed = ElapsedSinceStart();
  if (elapsed >= request.max_ms) SetFlags(TIME_UP);
  if (elapsed >= request.target_ms && !FlagSet(SCORE_DROPPED | DROPPED_BEFORE) &&
      root.root_index == 0) {
    SetFlags(TIME_UP);
  }
}

void CheckClockAfterIteration() {
  const SearchRequest& request = search_record.request;
  if (!request.timed) return;
  const int64_t elapsed = ElapsedSinceStart();
  const int64_t target = request.target_ms;
  if (elapsed >= target && !FlagSet(DROPPED_BEFORE)) SetFlags(TIME_UP);
  if (elapsed >= target * EASY_MOVE_FRACTION / 256 && FlagSet(EASY_MOVE)) SetFlags(TIME_UP);
  if (elapsed >= target * SETTLED_FRACTION / 256 && !FlagSet(DROPPED_BEFORE | RESEARCHED)) {
    SetFlags(TIME_UP);
  }
}
