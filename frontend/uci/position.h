// "position startpos|fen FEN [moves M1 M2 ...]": the game a UCI front end
// asks the engine to play on.
#pragma once

// A UCI front end resends the whole game with every move: room for a game
// far longer than any played.
inline constexpr int UCI_LINE_SIZE = 32768;

// Sets the game up from the text after "position". A position text that
// cannot be played, or a move that is not legal, is explained in an
// "info string" line and leaves the game as it was before the command.
void SetUciPosition(const char* text);

// Back to the start position with no moves ("ucinewgame").
void ResetUciPosition();

// True when the game was set up from the start position, so that the
// opening book can know it.
bool UciGameFromStart();
