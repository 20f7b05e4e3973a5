// The UCI command loop, the engine's second protocol beside the xboard
// loop: the same game, search hand-over, clock rules and book.
#pragma once

// Reads the first input line ahead: true (and the line is consumed) when
// it is "uci"; otherwise the line stays for the xboard loop.
bool FirstCommandIsUci();

// Answers the "uci" already read, then runs until "quit" or the end of
// the input.
void RunUciLoop();
