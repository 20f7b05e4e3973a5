#include "frontend/engine_init.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "platform/build_flavour.h"

int thread_count = 1;
int split_root = 0;
int split_nodes = 0;

void InitEngine(const EngineOptions& options) {
  if (BUILD_MP) {
    thread_count = options.thread_count;
    split_root = options.split_root;
    split_nodes = options.split_nodes;
  }
  InitAttackTables();
  InitKeys();
  InitCastleMasks();
}

void FreeEngine() {}
