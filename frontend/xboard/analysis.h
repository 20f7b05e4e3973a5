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
// change of the best move (a proven mate only once), or, with MultiPV above
// 1, the best lines of each completed iteration (only those). Input that stops the
// search without changing the position has the position analysed again.
void AnalysePosition();

// The score an analysis line shows: exact, and a mate as 100000 + N for a
// mate in N moves, -100000 - N when mated in N.
int AnalysisScore(int score);

// ".": the status line "stat01: time nodes depth moves-left moves-total
// move" of the running analysis, or of the last one when it has ended.
void WriteAnalysisStatus();
