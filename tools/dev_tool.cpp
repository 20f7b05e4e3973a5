// The developer tool: builds the start-up tables and dispatches to a
// subcommand named by the first argument.
#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "eval/evaluate.h"
#include "frontend/version.h"
#include "platform/build_flavour.h"
#include "tools/dev_commands.h"

namespace {

// version (or --version): the release, the personality and the word size
// of this tool, one line on standard output.
int RunVersion(int, char**) {
  const char* personality = BUILD_PERSONALITY == Personality::Active    ? "Active"
                            : BUILD_PERSONALITY == Personality::Passive ? "Passive"
                                                                        : "Inert";
  std::printf("quorvel-dev %s (%s, %s, %d-bit)\n", QUORVEL_VERSION, personality, BUILD_MP ? "MP" : "SP",
              BUILD_64_BIT ? 64 : 32);
  return 0;
}

constexpr DevCommand COMMANDS[] = {
    {"perft", "DEPTH FEN", RunPerft},
    {"divide", "DEPTH FEN", RunDivide},
    {"eval",
     "[--trace] [--computer] [--root white|black] FEN  (--trace: each stage from White's view; "
     "--computer: the opponent is a computer; --root: the engine's side, default the side to move)",
     RunEval},
    {"evalbench", "", RunEvalBench},
    {"bench", "[DEPTH]", RunBench},
    {"accumcheck", "[GAMES]", RunAccumCheck},
    {"smpbench", "[THREADS] [DEPTH]  (-MP tools only)", RunSmpBench},
    {"version", "", RunVersion},
};

}  // namespace

int PrintUsage() {
  for (const DevCommand& command : COMMANDS)
    std::fprintf(stderr, "usage: quorvel-dev %s %s\n", command.name, command.synopsis);
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2) return PrintUsage();
  if (std::strcmp(argv[1], "--version") == 0) return RunVersion(0, nullptr);
  InitAttackTables();
  InitKeys();
  InitCastleMasks();
  InitEvaluation();
  for (const DevCommand& command : COMMANDS)
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
  return PrintUsage();
}
