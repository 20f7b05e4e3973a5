#include "search/search_control.h"

#include <csetjmp>

#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/clock_rules.h"
#include "search/parallel_search.h"

std::atomic<uint8_t> search_state{0};
std::atomic<uint8_t> search_flags{0};

namespace {
std::atomic<uint8_t> never_raised{0};
bool (*input_poller)() = nullptr;

// Self-timed polls: checkpoints between two looks at the clock, and the
// interval between polls, as the tick thread would give it.
constexpr int CHECKPOINTS_PER_CLOCK_LOOK = 256;
constexpr uint32_t SELF_TIMED_POLL_MS = 50;
int checkpoints_since_look = 0;
uint32_t last_self_timed_poll = 0;

// Fuzzing builds poll by checkpoints alone, and a session (one run of a
// command loop) has a budget of checkpoints for all its searches together:
// once it is spent every search ends at its next poll, whatever depth or
// time it was given, so that each input runs in milliseconds.
constexpr int FUZZ_CHECKPOINTS_PER_POLL = 64;
constexpr int FUZZ_SESSION_CHECKPOINTS = 512;
int fuzz_checkpoints_spent = 0;
}  // namespace

std::atomic<uint8_t>* poll_flag = &never_raised;
bool self_timed_polls = false;

void UseSelfTimedPolls(bool on) {
  self_timed_polls = on;
  checkpoints_since_look = 0;
  last_self_timed_poll = platform::TickCountMs();
  fuzz_checkpoints_spent = 0;
}

bool SelfTimedPollDue() {
  if constexpr (BUILD_FUZZ) return ++fuzz_checkpoints_spent % FUZZ_CHECKPOINTS_PER_POLL == 0;
  if (++checkpoints_since_look < CHECKPOINTS_PER_CLOCK_LOOK) return false;
  checkpoints_since_look = 0;
  const uint32_t now = platform::TickCountMs();
  if (static_cast<int32_t>(now - last_self_timed_poll) < static_cast<int32_t>(SELF_TIMED_POLL_MS)) return false;
  last_self_timed_poll = now;
  return true;
}

void SetInputPoller(bool (*poll)()) { input_poller = poll; }

void SetPollFlag(std::atomic<uint8_t>* flag) { poll_flag = flag != nullptr ? flag : &never_raised; }

bool PollInputOnce() { return input_poller != nullptr && input_poller(); }

void TimeCheck() {
  // Step 0. A fuzzing session that has spent its checkpoints
  if (BUILD_FUZZ && fuzz_checkpoints_spent >= FUZZ_SESSION_CHECKPOINTS) {
    SetState(ABORT);
    return;
  }
  // Step 0b. The node limit
  if (NodeLimitReached()) {
    SetState(ABORT);
    return;
  }
  // Step 1. Input: an interrupting command stops the search at once.
  if (PollInputOnce()) {
    SetFlags(INPUT_STOP);
    SetState(ABORT);
    return;
  }
  // Step 2. The clock of a timed search
  CheckClockDuringIteration();
  // Step 3. A completed iteration and an expired clock end the search.
  if (StateSet(ITERATION_DONE) && FlagSet(TIME_UP)) SetState(ABORT);
}

void CheckTimeAndInputNoJump() {
  if (!StateSet(ABORT)) TimeCheck();
  if constexpr (BUILD_MP) {
    if (StateSet(ABORT)) StopMainSplit();
  }
}

void CheckTimeAndInput(SearchThread& t) {
  CheckTimeAndInputNoJump();
  if (StateSet(ABORT)) std::longjmp(t.abort_jump, 1);
}
