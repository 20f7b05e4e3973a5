#include "frontend/search_handover.h"

#include <cstring>

#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "search/search_record.h"

namespace {

bool search_running = false;
int deferred_take_backs = 0;

}  // namespace

void StartSearch(bool timed) {
  search_running = true;
  search_record.request.timed = timed ? 1 : 0;
  search_record.request.depth_limit = depth_limit;
  memset(&search_record.result, 0, sizeof search_record.result);
  search_running = false;
}

bool SearchIsRunning() { return search_running; }

void DeferTakeBacks(int count) { deferred_take_backs += count; }

int TakeDeferredTakeBacks() {
  int count = deferred_take_backs;
  deferred_take_backs = 0;
  return count;
}

void PonderHit() {
  memcpy(legal_moves, reply_moves, sizeof legal_moves);
  legal_count = reply_count;
  engine_state = EngineState::Thinking;
  search_record.request.timed = 1;
}
