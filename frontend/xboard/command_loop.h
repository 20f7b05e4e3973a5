// The protocol command loop: reads commands and moves, keeps the game and
// decides when the engine thinks, ponders, waits or ends.
#pragma once

// Runs until the engine state is Quit; the banner is already out. Every
// argument is also applied as a protocol line at each new game.
void RunCommandLoop(int argc, const char* const* argv);
