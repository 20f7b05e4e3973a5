// bench [DEPTH]: a fixed list of positions, each searched from a new game
// to a fixed depth. The total node count is the search's signature: the
// same on every run for a given build, so a change in it reveals a change
// in what the search does.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "board/legal_moves.h"
#include "board/movegen.h"
#include "board/set_position.h"
#include "eval/evaluate.h"
#include "frontend/move_text.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/transposition.h"
#include "tools/dev_commands.h"

namespace {

constexpr int DEFAULT_BENCH_DEPTH = 10;
constexpr int MAX_BENCH_DEPTH = 63;
constexpr int BENCH_HASH_LOG = 6;  // the engine's default table

// Openings, middle games, endings, positions with mates and promotions.
constexpr const char* BENCH_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
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
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/8/1p1k4/p2p1p2/P2P1P2/1P2K3/8/8 w - -",
    "6k1/5pp1/7p/8/8/7P/5PP1/3R2K1 w - -",
    "8/5pk1/6p1/8/3R4/6PK/5P2/1r6 b - -",
    "8/8/4kpp1/3p4/p6P/2B4b/6P1/6K1 w - -",
    "8/3k4/8/2P5/8/8/5K2/8 w - -",
    "8/8/8/8/5k2/8/3KP3/8 w - -",
    "8/P7/8/8/8/8/6k1/K7 w - -",
    "6k1/1P6/8/8/8/8/5pK1/8 b - -",
    "8/8/8/8/8/5k2/p7/5K2 b - -",
    "2bqkbn1/2pppp2/np2N3/r3P1p1/p2N2B1/5Q2/PPPPKPP1/RNB2r2 w - -",
    "r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "8/8/7k/8/8/8/1R6/R5K1 w - -",
};

// The new-game reset the front end does, for one bench position.
void NewBenchGame(Position& pos, const char* fen) {
  SetPosition(pos, fen);
  ResetLastIterationScore();
  ClearHash();
  if constexpr (BUILD_ACTIVE) {
    PrepareEvaluation(true, pos.side, pos.state.castling);
  } else {
    ClearEvalCaches();
  }
  ClearSearchMemory();
}

}  // namespace

int RunBench(int argc, char** argv) {
  const int depth = argc >= 1 ? std::atoi(argv[0]) : DEFAULT_BENCH_DEPTH;
  if (depth < 1 || depth > MAX_BENCH_DEPTH) {
    std::fprintf(stderr, "bench: depth 1..%d\n", MAX_BENCH_DEPTH);
    return 2;
  }
  if (!InitTranspositionTable(BENCH_HASH_LOG)) {
    std::fprintf(stderr, "bench: not enough memory\n");
    return 1;
  }
  InitEvaluation();
  auto pos = std::make_unique<Position>();
  uint64_t total_nodes = 0;
  // Processor time of this single-threaded tool: steadier than the wall
  // clock when other programs share the machine, on every system.
  const uint64_t start_us = platform::ProcessorTimeUs();
  int index = 0;
  for (const char* fen : BENCH_POSITIONS) {
    NewBenchGame(*pos, fen);
    Move moves[MAX_MOVES];
    const int count = BuildLegalMoves(*pos, moves);
    search_record = SearchRecord{};
    // Iterations run up to one below the limit.
    search_record.request.depth_limit = depth + 1;
    Think(*pos, moves, count);
    const SearchResult& r = search_record.result;
    char text[8] = "none";
    if (r.result_move != 0) MoveToText(r.result_move, text);
    std::printf("%2d %-6s %6d %12llu  %s\n", ++index, text, r.score,
                static_cast<unsigned long long>(r.nodes), fen);
    total_nodes += r.nodes;
  }
  const double seconds = static_cast<double>(platform::ProcessorTimeUs() - start_us) / 1e6;
  const auto nps = static_cast<unsigned long long>(seconds > 0 ? total_nodes / seconds : 0);
  std::printf("%llu nodes %llu nps\n", static_cast<unsigned long long>(total_nodes), nps);
  FreeTranspositionTable();
  return 0;
}
