// When the clock ends a timed search: the checks inside an iteration (at
// every poll) and the rules between iterations.
#pragma once

// Inside an iteration: past the maximum, or past the target while the
// score holds and the first root move is still being searched: TIME_UP.
void CheckClockDuringIteration();

// After a completed iteration: the target reached, about 20 % of it for
// an easy move, about 60 % of it when nothing is unsettled: TIME_UP.
void CheckClockAfterIteration();
