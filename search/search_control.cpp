#include "search/search_control.h"

#include <csetjmp>

#include "platform/build_flavour.h"
#include "search/clock_rules.h"
#include "search/parallel_search.h"

std::atomic<uint8_t> search_state{0};
std::atomic<uint8_t> search_flags{0};

namespace {
std::atomic<uint8_t> never_raised{0};
bool (*input_poller)() = nullptr;
}  // namespace

std::atomic<uint8_t>* poll_flag = &never_raised;

void SetInputPoller(bool (*poll)()) { input_poller = poll; }

void SetPollFlag(std::atomic<uint8_t>* flag) { poll_flag = flag != nullptr ? flag : &never_raised; }

bool PollInputOnce() { return input_poller != nullptr && input_poller(); }

void TimeCheck() {
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
