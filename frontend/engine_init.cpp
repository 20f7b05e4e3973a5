#include "frontend/engine_init.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "eval/evaluate.h"
#include "frontend/console.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/parallel_search.h"
#include "search/transposition.h"

int thread_count = 1;
int split_root = 0;
int split_nodes = 0;
int table_hash_log = 0;

namespace {
constexpr int FUZZ_MAX_HASH_LOG = 3;
}  // namespace

int AllocateTranspositionTable(int hash_log) {
  // A fuzzing build keeps the table small: its sessions share one process
  // under a memory limit.
  if (BUILD_FUZZ && hash_log > FUZZ_MAX_HASH_LOG) hash_log = FUZZ_MAX_HASH_LOG;
  while (!InitTranspositionTable(hash_log)) {
    if (hash_log <= 1) {
      WriteText("error: not enough memory for the transposition table");
      WriteText("\r\n");
      platform::ExitProcess(1);
    }
    hash_log--;
  }
  table_hash_log = hash_log;
  return hash_log;
}

int HashMiB(int hash_log) { return 1 << (hash_log - 1); }

int MaxHashLog() { return BUILD_64_BIT ? MAX_HASH_LOG : MAX_HASH_LOG_32BIT; }

int HashLogForMiB(int64_t mib) {
  int hash_log = 1;
  while (hash_log < MaxHashLog() && HashMiB(hash_log + 1) <= mib) hash_log++;
  return hash_log;
}

void InitEngine(const EngineOptions& options) {
  if (BUILD_MP) {
    thread_count = options.thread_count;
    split_root = options.split_root;
    split_nodes = options.split_nodes;
  }
  InitAttackTables();
  InitKeys();
  AllocateTranspositionTable(options.hash_log);
  InitCastleMasks();
  InitEvaluation();
  if (BUILD_MP) InitParallelSearch(thread_count, split_root != 0, split_nodes != 0);
}

void FreeEngine() { FreeTranspositionTable(); }
