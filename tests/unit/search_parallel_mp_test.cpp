// The parallel search on two threads: how split work is handed out, the
// split switches, a cut-off at a root split, the owner's stop mark after
// its split, a stop that reaches the owner's own share, and a pool that is
// whole again after every search, aborted or not.
#include <atomic>
#include <cstring>

#include "search/parallel/parallel_search.h"
#include "search/parallel/split_point.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_progress.h"
#include "search_test_support.h"

namespace {

using search_test::MoveFromText;
using search_test::NewGame;
using search_test::ThinkTo;

constexpr uint64_t ALL_POOL_RECORDS = ~uint64_t{1};
constexpr const char* MIDDLE_GAME =
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP3PPP/RNBQ1RK1 w - -";
constexpr const char* KIWI_ENDGAME = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";
constexpr const char* OPEN_GAME = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";

// The pool with one worker, started once per test program.
void EnsurePool() {
  static const bool started = [] {
    search_test::EnsureEngineTables();
    return InitParallelSearch(2, true, true);
  }();
  ASSERT_TRUE(started);
  SetSplitSwitches(true, true);
}

uint64_t Splits() { return root_splits.load() + inner_splits.load(); }

int new_best_reports = 0;
void CountNewBest(ProgressEvent event) {
  if (event == ProgressEvent::NewBest) ++new_best_reports;
}

TEST(ParallelSearch, WithTwoThreadsTheOwnerTakesASecondRecord) {
  EnsurePool();
  for (int r = 1; r < 64; ++r) search_records[r]->split->parent = nullptr;
  const uint64_t before = Splits();
  auto pos = NewGame(MIDDLE_GAME);
  const SearchResult& result = ThinkTo(*pos, 9);
  ASSERT_GT(Splits(), before);
  EXPECT_TRUE(search_test::IsLegal(*pos, result.result_move));
  // The worker always gets the lowest free record and the owner the next:
  // only the main thread ever owns a split point with a single worker.
  EXPECT_EQ(search_records[1]->index, 1);
  EXPECT_EQ(search_records[2]->index, 0);
  EXPECT_NE(search_records[2]->split->parent, nullptr);
  EXPECT_TRUE(ParallelSearchAtRest());
  EXPECT_EQ(FreePositionMask(), ALL_POOL_RECORDS);
}

// A new thread count between searches (the UCI "Threads" option): more
// workers join, fewer leave the idle mask, and the pool rests after each.
TEST(ParallelSearch, ThreadCountChangesBetweenSearches) {
  EnsurePool();
  for (int threads : {4, 2, 3, 2}) {
    ASSERT_EQ(SetSearchThreads(threads), threads);
    EXPECT_EQ(SearchThreadCount(), threads);
    auto pos = NewGame(MIDDLE_GAME);
    EXPECT_TRUE(search_test::IsLegal(*pos, ThinkTo(*pos, 8).result_move));
    EXPECT_TRUE(ParallelSearchAtRest()) << threads << " threads";
    EXPECT_EQ(FreePositionMask(), ALL_POOL_RECORDS);
  }
}

TEST(ParallelSearch, SplitSwitchesKeepTheirKindOfSplitOff) {
  EnsurePool();
  auto pos = NewGame(OPEN_GAME);
  SetSplitSwitches(false, false);
  const uint64_t root_before = root_splits.load(), inner_before = inner_splits.load();
  const uint64_t nodes = ThinkTo(*pos, 7).nodes;
  EXPECT_EQ(root_splits.load(), root_before);
  EXPECT_EQ(inner_splits.load(), inner_before);
  // One thread alone searches exactly as the single-threaded search does.
  pos = NewGame(OPEN_GAME);
  EXPECT_EQ(ThinkTo(*pos, 7).nodes, nodes);

  SetSplitSwitches(true, false);
  pos = NewGame(OPEN_GAME);
  ThinkTo(*pos, 8);
  EXPECT_EQ(inner_splits.load(), inner_before);
  EXPECT_GT(root_splits.load(), root_before);

  SetSplitSwitches(false, true);
  const uint64_t root_after = root_splits.load();
  pos = NewGame(OPEN_GAME);
  ThinkTo(*pos, 8);
  EXPECT_EQ(root_splits.load(), root_after);
  EXPECT_GT(inner_splits.load(), inner_before);
  SetSplitSwitches(true, true);
  EXPECT_TRUE(ParallelSearchAtRest());
}

// A poller that raises the tick at every call, so the main thread polls
// at every zero-window node and while it waits at its split points, and
// stops the search at the n-th call.
std::atomic<uint8_t> test_tick{0};
int polls_left = 0;
bool StopAtCountdown() {
  test_tick.store(1);
  return --polls_left == 0;
}

TEST(ParallelSearch, PoolIsWholeAfterEveryAbort) {
  EnsurePool();
  SetPollFlag(&test_tick);
  SetInputPoller(StopAtCountdown);
  for (const char* fen : {MIDDLE_GAME, OPEN_GAME}) {
    for (int countdown : {1, 2, 7, 40, 300, 2000, 9000, 30000}) {
      auto pos = NewGame(fen);
      const uint64_t key = pos->key;
      polls_left = countdown;
      test_tick.store(1);
      const SearchResult& result = ThinkTo(*pos, 12);
      EXPECT_TRUE(ParallelSearchAtRest()) << countdown;
      EXPECT_EQ(FreePositionMask(), ALL_POOL_RECORDS) << countdown;
      EXPECT_TRUE(search_test::IsLegal(*pos, result.result_move)) << countdown;
      EXPECT_EQ(pos->key, key);
    }
  }
  SetInputPoller(nullptr);
  SetPollFlag(nullptr);
}

TEST(ParallelSearch, CutoffByAHelperAtTheRootEndsTheIteration) {
  EnsurePool();
  // White's second root move takes a loose queen; the third is never
  // searched once it has failed high.
  auto pos = NewGame("4k3/8/8/3q4/8/8/8/3RK3 w - -");
  SearchThread& main = *search_records[0];
  main.pos = pos.get();
  pos->ply = 0;
  ClearState(ABORT);
  const Move win = MoveFromText(*pos, "d1d5");
  root.count = 3;
  root.moves[0] = MoveFromText(*pos, "e1e2");
  root.moves[1] = win;
  root.moves[2] = MoveFromText(*pos, "e1f2");
  root.moves[3] = 0;
  for (int i = 0; i < 3; ++i) root.scores[i] = NO_SCORE;
  root.best_move = root.moves[0];
  root.best_score = 0;

  SplitPoint& sp = *main.split;
  sp.stopped = 0;
  sp.split_done = 0;
  sp.beta = 40;
  sp.depth = 4;
  sp.alpha = -40;
  sp.best = -20;
  sp.searched = 1;
  sp.searched_list = root.moves;
  sp.root_scores = root.scores;
  sp.floor = -40;
  sp.single_reply = false;

  SearchThread& helper = *search_records[5];
  helper.split->parent = &main;
  helper.index = 1;
  helper.split->stopped = 0;
  // The previous iteration scored far more: the helper's best move is a drop.
  root.last_iteration_score = 10000;
  ClearFlags(SCORE_DROPPED);
  new_best_reports = 0;
  SetProgressReporter(CountNewBest);
  // No inner splits: the helper's thread is not really taken from the pool.
  SetSplitSwitches(true, false);
  SplitWorkRoot(helper);
  SetSplitSwitches(true, true);

  // The clock rules see the drop at once; the line waits for the main
  // thread, which reports it once.
  EXPECT_TRUE(FlagSet(SCORE_DROPPED));
  EXPECT_EQ(new_best_reports, 0);
  ReportHelpersBestMove();
  ReportHelpersBestMove();
  EXPECT_EQ(new_best_reports, 1);
  SetProgressReporter(nullptr);
  ClearFlags(SCORE_DROPPED);
  root.last_iteration_score = 0;

  EXPECT_EQ(root.best_move, win);
  EXPECT_EQ(search_record.result.result_move, win);
  EXPECT_GE(root.best_score, 40);
  EXPECT_EQ(root.scores[1], 40);
  EXPECT_EQ(root.scores[2], NO_SCORE);
  EXPECT_EQ(sp.searched, 2);
  EXPECT_NE(sp.stopped.load(), 0);
  EXPECT_NE(sp.split_done.load(), 0);
  sp.stopped = 0;
  sp.root_scores = nullptr;
  EXPECT_TRUE(ParallelSearchAtRest());
}

TEST(ParallelSearch, OwnerKeepsSearchingAfterItsOwnSplitCutOff) {
  EnsurePool();
  SearchThread& main = *search_records[0];
  SearchThread& owner = *search_records[6];
  owner.split->parent = &main;
  ClearState(ABORT);

  // Its own split's cut-off: the mark goes, the owner's search goes on.
  main.split->stopped = 0;
  owner.split->stopped = 1;
  EXPECT_TRUE(SettleOwnerStop(owner));
  EXPECT_EQ(owner.split->stopped.load(), 0);

  // The parent split was stopped too: the stop stands.
  main.split->stopped = 1;
  owner.split->stopped = 1;
  EXPECT_FALSE(SettleOwnerStop(owner));
  EXPECT_EQ(owner.split->stopped.load(), 1);

  // The main record has no parent; only an abort keeps its mark.
  EXPECT_TRUE(SettleOwnerStop(main));
  EXPECT_EQ(main.split->stopped.load(), 0);
  main.split->stopped = 1;
  SetState(ABORT);
  EXPECT_FALSE(SettleOwnerStop(main));
  ClearState(ABORT);
  main.split->stopped = 0;
  owner.split->stopped = 0;
}

// The owner's own share is one of the split's helping records: a stop of
// the split (a helper's cut-off, or a stop from above) marks it as well,
// so the owner's thread does not search on for a node that has ended.
TEST(ParallelSearch, StopOfASplitReachesTheOwnersOwnShare) {
  EnsurePool();
  ASSERT_EQ(SetSearchThreads(2), 2);
  ASSERT_TRUE(ParallelSearchAtRest());
  auto pos = NewGame(MIDDLE_GAME);
  SearchThread& main = *search_records[0];
  main.pos = pos.get();
  SplitPoint& sp = *main.split;
  sp.stopped = 0;
  sp.split_done = 0;
  ASSERT_EQ(AssignWorkers(main), 0);
  SearchThread& helper = *search_records[1];
  SearchThread& share = *search_records[2];
  AcquireLock(sp.lock);
  StopSplit(main);
  ReleaseLock(sp.lock);
  EXPECT_NE(helper.split->stopped.load(), 0);
  EXPECT_NE(share.split->stopped.load(), 0);
  // Both records go back, and the pool is whole again.
  FinishWork(1, helper);
  ReclaimThread(0, main);
  EXPECT_EQ(sp.child_positions.load(), 0u);
  EXPECT_EQ(sp.active_threads.load(), 0u);
  EXPECT_TRUE(ParallelSearchAtRest());
  sp.stopped = 0;
  sp.split_done = 0;
}

// Measured over real searches with root splits: once a root split has been
// stopped, no thread searches a root move of it to the end.
TEST(ParallelSearch, NoRootMoveIsFinishedAfterItsSplitStopped) {
  EnsurePool();
  const uint64_t late_before = root_moves_after_stop.load();
  const uint64_t splits_before = root_splits.load();
  for (int threads : {2, 3}) {
    ASSERT_EQ(SetSearchThreads(threads), threads);
    for (const char* fen : {MIDDLE_GAME, OPEN_GAME, KIWI_ENDGAME}) {
      auto pos = NewGame(fen);
      ThinkTo(*pos, 11);
    }
  }
  SetSearchThreads(2);
  ASSERT_GT(root_splits.load(), splits_before);
  EXPECT_EQ(root_moves_after_stop.load(), late_before);
}

}  // namespace
