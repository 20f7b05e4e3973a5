// eval and evalbench: the static evaluation of one position, with an
// optional table of its stages, and the evaluation speed on fixed lists
// of middle-game and end-game positions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "board/set_position.h"
#include "eval/evaluate.h"
#include "tools/dev_commands.h"

namespace {

// Positions for evalbench: a spread of openings and middle games...
constexpr const char* MIDDLE_GAMES[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - -",
    "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2NBPN2/PP3PPP/R2Q1RK1 w - -",
    "r1bq1rk1/pp3ppp/2n1pn2/2bp4/2P5/P1N1PN2/1P1B1PPP/R2QKB1R b KQ -",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 w - -",
    "r3k2r/pbpnqppp/1p1ppn2/8/2PP4/P1Q1PN2/1P1B1PPP/R3KB1R w KQkq -",
    "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/R4RK1 w - -",
    "2kr3r/ppp1qppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1NBPBP/R2Q1RK1 b - -",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/2P2N1P/PPB2PP1/RNBQR1K1 w - -",
    "3r1rk1/pp3pp1/2p1bq1p/4n3/2P1P3/2N2P2/PP1QB1PP/3R1RK1 b - -",
    "r2qr1k1/1p1bbppp/p1np1n2/4p3/4P3/1NN1BP2/PPPQ2PP/2KR1B1R w - -",
};

// ...and endings, pawnless ones included.
constexpr const char* END_GAMES[] = {
    "8/5pk1/6p1/7p/7P/6P1/5PK1/8 w - -",
    "8/8/4k3/8/4P3/4K3/8/8 w - -",
    "8/2k5/8/1p6/1P6/8/5K2/8 b - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/5pk1/6p1/8/3R4/6P1/r4PK1/8 b - -",
    "8/8/2b1k3/3p4/3P4/2B1K3/8/8 w - -",
    "4k3/8/8/8/8/8/8/2B1KN2 w - -",
    "8/8/8/8/3k4/8/8/R3K3 w - -",
    "8/p4k2/1p3p2/2p5/2P5/1P3P2/P4K2/8 w - -",
    "8/8/p1p5/1p6/1P2k3/P1P5/4K3/8 w - -",
    "2r3k1/5pp1/7p/8/8/7P/5PP1/2R3K1 b - -",
    "8/3k4/8/2n5/8/5B2/4K3/8 w - -",
};

// The record is large (its key history); keep it off the stack.
Position eval_position;

// Options of the eval command.
struct EvalOptions {
  bool trace = false;
  bool opponent_is_computer = false;
  int root_side = -1;  // -1: the position's side to move
  std::string fen;
};

// Reads the options and joins the rest into the FEN; false on bad input.
bool ReadEvalOptions(int argc, char** argv, EvalOptions& options) {
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--trace") == 0) {
      options.trace = true;
    } else if (std::strcmp(argv[i], "--computer") == 0) {
      options.opponent_is_computer = true;
    } else if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
      ++i;
      if (std::strcmp(argv[i], "white") == 0) options.root_side = WHITE;
      else if (std::strcmp(argv[i], "black") == 0) options.root_side = BLACK;
      else return false;
    } else {
      return false;
    }
  }
  if (i >= argc) return false;
  options.fen = argv[i];
  for (++i; i < argc; ++i) options.fen += std::string(" ") + argv[i];
  return true;
}

// The half-move clock of the text (its fifth field), 0 when absent. Set-up
// does not read the clocks; the tool does, so that the fade can be seen.
int HalfMoveClock(const char* fen) {
  std::istringstream fields(fen);
  std::string field;
  for (int i = 0; i < 5 && fields >> field; ++i)
    if (i == 4) return std::clamp(std::atoi(field.c_str()), 0, 1000);
  return 0;
}

// Sets the position up and prepares the evaluation as a new game followed
// by a search from it would.
bool PreparePosition(const char* fen, int root_side, bool opponent_is_computer) {
  SetPosition(eval_position, fen);
  if (!PositionIsPlayable(eval_position)) {
    std::fprintf(stderr, "not a playable position: %s\n", fen);
    return false;
  }
  eval_position.state.fifty_clock = static_cast<uint16_t>(HalfMoveClock(fen));
  SetOpponentIsComputer(opponent_is_computer);
  PrepareEvaluation(true, eval_position.side, eval_position.state.castling);
  PrepareEvaluation(false, root_side < 0 ? eval_position.side : root_side, eval_position.state.castling);
  return true;
}

// The stage table, White's view, then the side-to-move facts and result.
void PrintTrace(const EvalTrace& trace, int score) {
  int total = 0;
  std::printf("%-22s %8s\n", "stage", "White");
  for (int i = 0; i < trace.count; ++i) {
    std::printf("%-22s %8d\n", trace.rows[i].stage, trace.rows[i].white_view);
    total += trace.rows[i].white_view;
  }
  std::printf("%-22s %8d\n", "total (White)", total);
  if (trace.exit_note) std::printf("%-22s %s\n", "exit", trace.exit_note);
  std::printf("%-22s %8s\n", "side to move", eval_position.side == WHITE ? "white" : "black");
  std::printf("%-22s %8d\n", "fifty clock", eval_position.state.fifty_clock);
  std::printf("%-22s %8d\n", "result", score);
}

using Clock = std::chrono::steady_clock;

// Seconds elapsed since start.
double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Evaluations per second over every bench position, with the caches
// emptied before each timed call (cold) or after one warming pass (warm).
struct BenchResult {
  double cold_rate;
  double warm_rate;
  long long checksum;
};

// Times Evaluate over the list: rounds of cold calls, then warm calls.
BenchResult Bench(const char* const* fens, int count, int rounds) {
  BenchResult result{0, 0, 0};
  double cold_seconds = 0;
  for (int i = 0; i < count; ++i) {
    PreparePosition(fens[i], -1, false);
    for (int r = 0; r < rounds; ++r) {
      ClearEvalCaches();
      const auto start = Clock::now();
      result.checksum += Evaluate(eval_position);
      cold_seconds += SecondsSince(start);
    }
  }
  result.cold_rate = rounds * count / cold_seconds;
  const int warm_calls = 20000;
  double warm_seconds = 0;
  for (int i = 0; i < count; ++i) {
    PreparePosition(fens[i], -1, false);
    Evaluate(eval_position);
    const auto start = Clock::now();
    for (int n = 0; n < warm_calls; ++n) result.checksum += Evaluate(eval_position) & 1;
    warm_seconds += SecondsSince(start);
  }
  result.warm_rate = static_cast<double>(count) * warm_calls / warm_seconds;
  return result;
}

}  // namespace

int RunEval(int argc, char** argv) {
  EvalOptions options;
  if (!ReadEvalOptions(argc, argv, options)) return PrintUsage();
  if (!PreparePosition(options.fen.c_str(), options.root_side, options.opponent_is_computer)) return 2;
  if (options.trace) {
    EvalTrace trace;
    const int score = EvaluateWithTrace(eval_position, trace);
    PrintTrace(trace, score);
  }
  std::printf("%d\n", Evaluate(eval_position));
  return 0;
}

int RunEvalBench(int, char**) {
  constexpr int ROUNDS = 20;
  const BenchResult middle = Bench(MIDDLE_GAMES, std::size(MIDDLE_GAMES), ROUNDS);
  const BenchResult end = Bench(END_GAMES, std::size(END_GAMES), ROUNDS);
  std::printf("%-12s %16s %16s\n", "positions", "cold evals/s", "warm evals/s");
  std::printf("%-12s %16.0f %16.0f\n", "middle game", middle.cold_rate, middle.warm_rate);
  std::printf("%-12s %16.0f %16.0f\n", "end game", end.cold_rate, end.warm_rate);
  std::printf("checksum %lld\n", middle.checksum + end.checksum);
  return 0;
}
