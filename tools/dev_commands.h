// The developer tool's subcommands. Each takes the arguments after its
// name and returns the process exit code; 2 means a usage error.
#pragma once

// One subcommand: its name, its argument synopsis and its entry.
struct DevCommand {
  const char* name;
  const char* synopsis;
  int (*run)(int argc, char** argv);
};

// perft DEPTH FEN: leaves of the legal move tree.
int RunPerft(int argc, char** argv);

// divide DEPTH FEN: the leaves below each legal root move.
int RunDivide(int argc, char** argv);

// eval [--trace] [--computer] [--root white|black] FEN: the static score.
int RunEval(int argc, char** argv);

// evalbench: evaluations per second with cold and warm caches.
int RunEvalBench(int argc, char** argv);

// bench [DEPTH]: fixed positions searched from a new game each; the total
// node count is the search's signature.
int RunBench(int argc, char** argv);

// accumcheck [GAMES]: the incremental accumulators after every move of
// random games equal those of a fresh set-up of the same board.
int RunAccumCheck(int argc, char** argv);

// smpbench [THREADS] [DEPTH]: time to depth and nodes per second of the
// parallel search against one thread (MP tools only).
int RunSmpBench(int argc, char** argv);

// Prints the usage line(s) to standard error and returns 2.
int PrintUsage();
