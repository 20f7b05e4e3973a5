// The pool of search records, the worker threads and the split points.
//
// Locks: global_lock guards idle_threads, free_positions and the work
// fields; each record's split lock guards its split fields. The global
// lock is always taken before a record's lock, and a parent's lock before
// a child's.
#include "search/parallel_search.h"

#include <csetjmp>
#include <cstdint>
#include <new>

#include "platform/platform.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/split_point.h"

std::atomic<uint64_t> idle_threads{0};
bool split_root_on = false;
bool split_nodes_on = false;
SearchThread* search_records[64];
std::atomic<uint64_t> root_splits{0};
std::atomic<uint64_t> inner_splits{0};

namespace {

constexpr int RECORD_COUNT = 64;
constexpr int MAX_SEARCH_THREADS = 8;
constexpr uint64_t ALL_POOL_RECORDS = ~uint64_t{1};  // records 1..63

// One search thread: where it parks between searches and the record it is
// to work on (none for an idle worker; the main thread's rests on record 0).
struct ThreadSlot {
  platform::Parker* parker;
  std::atomic<SearchThread*> work;
};

ThreadSlot thread_slots[MAX_SEARCH_THREADS];
SpinLock global_lock;
std::atomic<uint64_t> free_positions{0};
SplitPoint split_points[RECORD_COUNT];
int thread_count = 1;
uint64_t started_workers = 0;           // bits of the workers that exist
uint64_t active_workers = 0;            // bits of the workers the search uses
std::atomic<bool> workers_awake{false};  // a search is running
std::atomic<int> running_workers{0};     // workers out of their parking place

int LowestBit(uint64_t mask) { return __builtin_ctzll(mask); }
uint64_t Bit(int n) { return uint64_t{1} << n; }
bool TwoOrMoreBits(uint64_t mask) { return (mask & (mask - 1)) != 0; }

SearchThread* Work(int thread) { return thread_slots[thread].work.load(std::memory_order_acquire); }
void SetWork(int thread, SearchThread* record) {
  thread_slots[thread].work.store(record, std::memory_order_release);
}

// Gives back thread t and pool record r (whose work has ended) to r's
// parent: its node count, and its bits in the parent's masks.
void ReleaseWorker(int thread, int record) {
  SearchThread& copy = *search_records[record];
  SearchThread& parent = *copy.split->parent;
  SplitPoint& sp = *parent.split;
  AcquireLock(sp.lock);
  // The count moves to the parent at once: no one searches the parent's
  // record during its split, so its published count can follow.
  parent.pos->nodes += copy.pos->nodes;
  parent.shown_nodes.store(parent.pos->nodes, std::memory_order_relaxed);
  copy.shown_nodes.store(0, std::memory_order_relaxed);
  sp.active_threads.fetch_and(~Bit(thread), std::memory_order_relaxed);
  sp.child_positions.fetch_and(~Bit(record), std::memory_order_relaxed);
  ReleaseLock(sp.lock);
}

// Prepares pool record r to work for owner on thread t.
void AssignRecord(int record, SearchThread& owner, int thread) {
  SearchThread& copy = *search_records[record];
  SplitPoint& sp = *copy.split;
  AcquireLock(sp.lock);
  sp.parent = &owner;
  copy.index = thread;
  // A record given back undone must not bring its last use's count along.
  copy.pos->nodes = 0;
  copy.shown_nodes.store(0, std::memory_order_relaxed);
  sp.stopped.store(0, std::memory_order_relaxed);
  sp.split_done.store(0, std::memory_order_relaxed);
  ReleaseLock(sp.lock);
  free_positions.fetch_and(~Bit(record), std::memory_order_relaxed);
}

// Holding the global lock and the owner's lock: every idle thread gets a
// pool record to help the owner with, while one record remains for the
// owner's own share. Returns the owner's thread.
int AssignWorkers(SearchThread& owner) {
  SplitPoint& sp = *owner.split;
  do {
    const int thread = LowestBit(idle_threads.load(std::memory_order_relaxed));
    const int record = LowestBit(free_positions.load(std::memory_order_relaxed));
    AssignRecord(record, owner, thread);
    idle_threads.fetch_and(~Bit(thread), std::memory_order_relaxed);
    sp.active_threads.fetch_or(Bit(thread), std::memory_order_relaxed);
    sp.child_positions.fetch_or(Bit(record), std::memory_order_relaxed);
    SetWork(thread, search_records[record]);
  } while (idle_threads.load(std::memory_order_relaxed) != 0 &&
           TwoOrMoreBits(free_positions.load(std::memory_order_relaxed)));
  // The owner's own share: not in the owner's masks, so the owner's wait
  // does not count it.
  const int record = LowestBit(free_positions.load(std::memory_order_relaxed));
  AssignRecord(record, owner, owner.index);
  SetWork(owner.index, search_records[record]);
  return owner.index;
}

// The idle loop of a worker (owner none) and the waiting loop of a split
// owner, which helps with whatever work it is given until its own split
// point has no helpers left.
void WorkerLoop(int thread, SearchThread* owner) {
  for (;;) {
    SearchThread* work = Work(thread);
    if (owner != nullptr) {
      const SplitPoint& sp = *owner->split;
      if (sp.active_threads.load(std::memory_order_acquire) == 0 &&
          (sp.split_done.load(std::memory_order_relaxed) != 0 || work == nullptr))
        break;
      // The main thread still answers the clock, input and node limit while it waits.
      if (owner->index == 0 && (PollDue() || NodeLimitReached())) CheckTimeAndInputNoJump();
    } else if (work == nullptr && !workers_awake.load(std::memory_order_acquire)) {
      return;
    }
    if (work == nullptr) {
      platform::SpinPause();
      continue;
    }
    if (work->split->parent->split->root_scores != nullptr)
      SplitWorkRoot(*work);
    else
      SplitWorkPV(*work);
    AcquireLock(global_lock);
    ReleaseWorker(thread, work->record);
    SetWork(thread, nullptr);
    if (thread != 0) idle_threads.fetch_or(Bit(thread), std::memory_order_relaxed);
    free_positions.fetch_or(Bit(work->record), std::memory_order_relaxed);
    ReleaseLock(global_lock);
  }
  // The owner takes its thread back; work it was given meanwhile is
  // returned undone.
  AcquireLock(global_lock);
  SearchThread* given = Work(thread);
  if (given != nullptr) ReleaseWorker(thread, given->record);
  SetWork(thread, owner);
  idle_threads.fetch_and(~Bit(thread), std::memory_order_relaxed);
  if (given != nullptr) free_positions.fetch_or(Bit(given->record), std::memory_order_relaxed);
  ReleaseLock(global_lock);
}

// Entry of worker thread t: parked between searches, idle-looping during
// them.
void WorkerMain(void* argument) {
  const int thread = static_cast<int>(reinterpret_cast<intptr_t>(argument));
  for (;;) {
    platform::Park(thread_slots[thread].parker);
    running_workers.fetch_add(1, std::memory_order_acq_rel);
    WorkerLoop(thread, nullptr);
    running_workers.fetch_sub(1, std::memory_order_acq_rel);
  }
}

// Step 1 of TrySplit, shared by both kinds: under the global lock and the
// owner's lock, when a thread and two records are free and the owner has
// not been stopped, fill() the split fields and hand out the work.
template <typename Fill>
bool OpenSplit(SearchThread& t, Fill fill) {
  bool made = false;
  SplitPoint& sp = *t.split;
  AcquireLock(global_lock);
  if (idle_threads.load(std::memory_order_relaxed) != 0 &&
      TwoOrMoreBits(free_positions.load(std::memory_order_relaxed))) {
    AcquireLock(sp.lock);
    if (sp.stopped.load(std::memory_order_relaxed) == 0) {
      fill(sp);
      sp.split_done.store(0, std::memory_order_relaxed);
      (sp.root_scores != nullptr ? root_splits : inner_splits).fetch_add(1, std::memory_order_relaxed);
      AssignWorkers(t);
      made = true;
    }
    ReleaseLock(sp.lock);
  }
  ReleaseLock(global_lock);
  return made;
}

}  // namespace

bool SettleOwnerStop(SearchThread& t) {
  SplitPoint& sp = *t.split;
  AcquireLock(sp.lock);
  // The parent's mark is set before StopSplit takes this record's lock,
  // so a stop from above is either seen here or arrives after the clear.
  const bool from_above =
      StateSet(ABORT) ||
      (t.record != 0 && sp.parent->split->stopped.load(std::memory_order_relaxed) != 0);
  if (!from_above) sp.stopped.store(0, std::memory_order_relaxed);
  ReleaseLock(sp.lock);
  return !from_above;
}

void StopSplit(SearchThread& record) {
  SplitPoint& sp = *record.split;
  sp.split_done.store(1, std::memory_order_relaxed);
  sp.stopped.store(1, std::memory_order_relaxed);
  uint64_t children = sp.child_positions.load(std::memory_order_relaxed);
  while (children != 0) {
    SearchThread& child = *search_records[LowestBit(children)];
    children &= children - 1;
    AcquireLock(child.split->lock);
    StopSplit(child);
    ReleaseLock(child.split->lock);
  }
}

uint64_t ParallelNodeCount() {
  uint64_t total = 0;
  for (const SearchThread* record : search_records)
    if (record != nullptr) total += record->shown_nodes.load(std::memory_order_relaxed);
  return total;
}

bool InitParallelSearch(int threads, bool split_root, bool split_nodes) {
  SetSplitSwitches(split_root, split_nodes);
  for (int r = 0; r < RECORD_COUNT; ++r) {
    SearchThread* record = r == 0 ? &main_search : new SearchThread{};
    if (r != 0) record->pos = new Position{};
    record->record = r;
    record->split = &split_points[r];
    search_records[r] = record;
  }
  free_positions.store(ALL_POOL_RECORDS, std::memory_order_relaxed);
  SetWork(0, &main_search);
  return SetSearchThreads(threads) == threads;
}

int SetSearchThreads(int threads) {
  // Workers are started once and kept; the ones beyond the new count stay
  // parked and out of the idle mask, so no split can draw them in.
  thread_count = 1;
  for (int thread = 1; thread < threads && thread < MAX_SEARCH_THREADS; ++thread) {
    if ((started_workers & Bit(thread)) == 0) {
      thread_slots[thread].parker = platform::CreateParker();
      if (!platform::StartThread(WorkerMain, reinterpret_cast<void*>(static_cast<intptr_t>(thread)),
                                 WORKER_STACK_BYTES))
        break;
      started_workers |= Bit(thread);
    }
    thread_count = thread + 1;
  }
  active_workers = started_workers & (Bit(thread_count) - 2);
  idle_threads.store(active_workers, std::memory_order_relaxed);
  return thread_count;
}

void SetSplitSwitches(bool split_root, bool split_nodes) {
  split_root_on = split_root;
  split_nodes_on = split_nodes;
}

int SearchThreadCount() { return thread_count; }

void StartParallelSearch(SearchThread& main) {
  // Without InitParallelSearch (tools and tests) the main record still
  // needs its split fields for its stop mark.
  main.record = 0;
  main.split = &split_points[0];
  SplitPoint& sp = *main.split;
  sp.stopped.store(0, std::memory_order_relaxed);
  sp.split_done.store(0, std::memory_order_relaxed);
  if (active_workers == 0) return;
  workers_awake.store(true, std::memory_order_release);
  for (int thread = 1; thread < thread_count; ++thread) platform::Wake(thread_slots[thread].parker);
}

void EndParallelSearch() {
  if (active_workers == 0) return;
  workers_awake.store(false, std::memory_order_release);
  while (!ParallelSearchAtRest() || running_workers.load(std::memory_order_acquire) != 0)
    platform::SleepMs(1);
  // Everything the workers wrote is seen from here on.
  AcquireLock(global_lock);
  ReleaseLock(global_lock);
}

bool ParallelSearchAtRest() {
  return idle_threads.load(std::memory_order_acquire) == active_workers &&
         free_positions.load(std::memory_order_acquire) == ALL_POOL_RECORDS;
}

uint64_t FreePositionMask() { return free_positions.load(std::memory_order_relaxed); }

void StopMainSplit() {
  SplitPoint& sp = *main_search.split;
  AcquireLock(sp.lock);
  StopSplit(main_search);
  ReleaseLock(sp.lock);
}

bool SplitPV(SearchThread& t, PVSplitNode& node) {
  const bool made = OpenSplit(t, [&](SplitPoint& sp) {
    sp.beta = node.beta;
    sp.depth = node.depth;
    sp.good_capture = node.good_capture;
    sp.single_reply = node.single_reply;
    sp.first_quiet.store(node.first_quiet ? 1 : 0, std::memory_order_relaxed);
    sp.pv = node.pv;
    sp.picker = node.picker;
    sp.best_move = node.best_move;
    sp.best = node.best;
    sp.alpha = node.alpha;
    sp.searched = node.searched;
    sp.searched_list = node.searched_list;
    sp.root_scores = nullptr;
  });
  if (!made) return false;
  WorkerLoop(t.index, &t);
  if (!SettleOwnerStop(t)) std::longjmp(t.abort_jump, 1);
  const SplitPoint& sp = *t.split;
  node.best = sp.best;
  node.best_move = sp.best_move;
  node.searched = sp.searched;
  return true;
}

bool SplitRoot(SearchThread& t, RootSplitNode& node) {
  const bool made = OpenSplit(t, [&](SplitPoint& sp) {
    sp.beta = node.beta;
    sp.depth = node.depth;
    sp.good_capture = false;
    sp.single_reply = node.single_reply;
    sp.best_move = root.best_move;
    sp.best = node.best;
    sp.alpha = node.alpha;
    sp.searched = node.next_index;
    sp.searched_list = root.moves;
    sp.root_scores = root.scores;
    sp.floor = node.floor;
    sp.pv = nullptr;
    sp.picker = nullptr;
  });
  if (!made) return false;
  WorkerLoop(t.index, &t);
  if (!SettleOwnerStop(t)) std::longjmp(t.abort_jump, 1);
  node.best = t.split->best;
  return true;
}
