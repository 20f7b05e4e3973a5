// Analysis mode ("analyze" to "exit"): an unlimited search of the game
// position whose lines are shown as they come, restarted whenever the
// position changes.
#pragma once

// "analyze": analysis mode on, the current position to be analysed.
void StartAnalysis();

// "exit": analysis mode off; the engine waits in force mode.
void EndAnalysis();

// True when the game position has changed since it was last analysed (or
// analysis has just started) and it has moves to search.
bool AnalysisDue();

// Searches the game position until input stops the search or it ends by
// itself, writing a thinking line for every deeper iteration and every
// change of the best move.
void AnalysePosition();

// ".": the status line "stat01: time nodes depth moves-left moves-total
// move" of the running analysis; nothing when no search runs.
void WriteAnalysisStatus();
