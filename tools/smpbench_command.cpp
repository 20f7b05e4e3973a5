// smpbench [THREADS] [DEPTH]: how much the parallel search gains. Each
// middle-game position is searched from a new game to a fixed depth, once
// by one thread (splitting off) and once with THREADS threads splitting.
// The last line gives the geometric means of the time-to-depth ratio and
// of the nodes-per-second ratio.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "board/legal_moves.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "eval/evaluate.h"
#include "platform/build_flavour.h"
#include "search/parallel/parallel_search.h"
#include "search/search.h"
#include "search/transposition.h"
#include "tools/dev_commands.h"

namespace {

constexpr int DEFAULT_THREADS = 2;
// Deep enough that the first iterations, searched below the split depth by
// one thread, weigh little in the time.
constexpr int DEFAULT_DEPTH = 12;
constexpr int MAX_DEPTH = 63;
constexpr int HASH_LOG = 6;

constexpr const char* MIDDLE_GAMES[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R b KQkq -",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - -",
    "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2NBPN2/PP3PPP/R2Q1RK1 w - -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 w - -",
    "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/R4RK1 w - -",
    "2kr3r/ppp1qppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1NBPBP/R2Q1RK1 b - -",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/2P2N1P/PPB2PP1/RNBQR1K1 w - -",
    "3r1rk1/pp3pp1/2p1bq1p/4n3/2P1P3/2N2P2/PP1QB1PP/3R1RK1 b - -",
    "r2qr1k1/1p1bbppp/p1np1n2/4p3/4P3/1NN1BP2/PPPQ2PP/2KR1B1R w - -",
    "r1bqk2r/pppp1ppp/2n5/2b1p3/2BnP3/5N2/PPPP1PPP/RNBQ1RK1 w kq -",
    "r2qkb1r/pp2pppp/2n2n2/3p1b2/3P4/2N1PN2/PP3PPP/R1BQKB1R w KQkq -",
    "r1bqr1k1/pp1nbppp/2p2n2/3p2B1/3P4/2NBP3/PPQ1NPPP/R3K2R w KQ -",
    "rn1qkb1r/pp3ppp/2p1pn2/3p1b2/2PP4/1QN1PN2/PP3PPP/R1B1KB1R b KQkq -",
    "r1b1k2r/ppppqppp/2n2n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQK2R w KQkq -",
    "r2q1rk1/ppp2ppp/2npbn2/2b1p3/4P3/2PP1NP1/PP1N1PBP/R1BQ1RK1 w - -",
    "2r2rk1/pp1bqppp/2n1pn2/3p4/3P4/P1NBPN2/1P3PPP/2RQ1RK1 w - -",
    "r3r1k1/pp3pbp/1qp1b1p1/2n5/2P5/1PN1BNP1/P4PBP/R2QR1K1 w - -",
    "r1bq1rk1/pp3pbp/2np1np1/2p1p3/2P1P3/2NP1NP1/PP3PBP/R1BQ1RK1 w - -",
};

// One search from a new game: wall-clock milliseconds and nodes.
struct Run {
  double ms;
  unsigned long long nodes;
};

Run SearchFromNewGame(Position& pos, const char* fen, int depth) {
  SetPosition(pos, fen);
  ResetLastIterationScore();
  ClearHash();
  if constexpr (BUILD_ACTIVE) {
    PrepareEvaluation(true, pos.side, pos.state.castling);
  } else {
    ClearEvalCaches();
  }
  ClearSearchMemory();
  Move moves[MAX_MOVES];
  const int count = BuildLegalMoves(pos, moves);
  search_record = SearchRecord{};
  search_record.request.depth_limit = depth + 1;  // iterations stop one below
  const auto start = std::chrono::steady_clock::now();
  Think(pos, moves, count);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return {took.count() > 0.001 ? took.count() : 0.001, search_record.result.nodes};
}

}  // namespace

int RunSmpBench(int argc, char** argv) {
  if constexpr (!BUILD_MP) {
    std::fprintf(stderr, "smpbench: only the -MP tools search with several threads\n");
    return 2;
  }
  const int threads = argc >= 1 ? std::atoi(argv[0]) : DEFAULT_THREADS;
  const int depth = argc >= 2 ? std::atoi(argv[1]) : DEFAULT_DEPTH;
  if (threads < 2 || threads > 8 || depth < 1 || depth > MAX_DEPTH) {
    std::fprintf(stderr, "smpbench: threads 2..8, depth 1..%d\n", MAX_DEPTH);
    return 2;
  }
  if (!InitTranspositionTable(HASH_LOG)) {
    std::fprintf(stderr, "smpbench: not enough memory\n");
    return 1;
  }
  InitEvaluation();
  if (!InitParallelSearch(threads, true, true)) {
    std::fprintf(stderr, "smpbench: could not start %d threads\n", threads);
    return 1;
  }
  Position* pos = new Position{};
  double log_speedup = 0;
  double log_scaling = 0;
  int index = 0;
  std::printf("    1 thread: ms nodes   %d threads: ms nodes   speedup\n", threads);
  for (const char* fen : MIDDLE_GAMES) {
    SetSplitSwitches(false, false);
    const Run one = SearchFromNewGame(*pos, fen, depth);
    SetSplitSwitches(true, true);
    const Run many = SearchFromNewGame(*pos, fen, depth);
    const double speedup = one.ms / many.ms;
    const double scaling = (static_cast<double>(many.nodes) / many.ms) /
                           (static_cast<double>(one.nodes ? one.nodes : 1) / one.ms);
    log_speedup += std::log(speedup);
    log_scaling += std::log(scaling > 0 ? scaling : 1e-9);
    std::printf("%2d %8.0f %12llu %8.0f %12llu %6.2f\n", ++index, one.ms, one.nodes, many.ms,
                many.nodes, speedup);
  }
  std::printf("splits: %llu at the root, %llu at inner nodes\n",
              static_cast<unsigned long long>(root_splits.load()),
              static_cast<unsigned long long>(inner_splits.load()));
  std::printf("speedup %.2f nps-scaling %.2f\n", std::exp(log_speedup / index),
              std::exp(log_scaling / index));
  delete pos;
  FreeTranspositionTable();
  return 0;
}
