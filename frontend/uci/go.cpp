#include "frontend/uci/go.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/engine_state.h"
#include "frontend/uci/output.h"
#include "frontend/uci/text.h"
#include "search/search.h"
#include "search/time_budget.h"

namespace {

// "go depth N" searches iterations 1 to N; deeper than this is no limit.
constexpr int32_t MAX_UCI_DEPTH = DEFAULT_DEPTH_LIMIT - 1;

// The number after a keyword, held to 0 .. INT32_MAX.
int32_t ReadMs(const char* text) {
  const long long value = strtoll(text, nullptr, 10);
  if (value < 0) return 0;
  if (value > 2147483647LL) return 2147483647;
  return static_cast<int32_t>(value);
}

bool EqualWord(const char* word, const char* keyword) { return strcmp(word, keyword) == 0; }

// "mate N" deeper than this is no limit either: 2N - 1 plies fit the depth.
constexpr int32_t MAX_UCI_MATE = (MAX_UCI_DEPTH + 1) / 2;

// The words of "go"; one of them ends a "searchmoves" list.
constexpr const char* GO_KEYWORDS[] = {"wtime", "btime", "winc", "binc", "movestogo", "movetime", "depth",
                                       "nodes", "mate", "infinite", "ponder", "searchmoves"};

bool IsGoKeyword(const char* word) {
  for (const char* keyword : GO_KEYWORDS)
    if (EqualWord(word, keyword)) return true;
  return false;
}

// Reads the moves of "searchmoves" into `go`; returns where the list ends.
const char* ReadSearchMoves(const char* at, UciGo& go) {
  for (; *at != 0; at = AfterWord(at)) {
    char word[32];
    CopyWord(at, word, sizeof word);
    if (IsGoKeyword(word)) break;
    const Move move = UciMoveFromText(word, legal_moves, legal_count);
    bool named_before = false;
    for (int i = 0; i < go.search_move_count; i++) named_before |= go.search_moves[i] == move;
    if (move == 0) {
      char message[96];
      snprintf(message, sizeof message, "searchmoves: '%s' is not a legal move here and is skipped", word);
      WriteInfoString(message);
    } else if (!named_before && go.search_move_count < LEGAL_LIST_SIZE) {
      go.search_moves[go.search_move_count++] = move;
    }
  }
  return at;
}

int32_t LessOverhead(int32_t ms, int32_t overhead_ms) { return ms > overhead_ms ? ms - overhead_ms : 0; }

}  // namespace

UciGo ParseUciGo(const char* text) {
  UciGo go = {{-1, -1}, {0, 0}, 0, -1, -1, 0, -1, false, false, 0, {}};
  for (const char* at = SkipBlanks(text); *at != 0;) {
    char word[32];
    CopyWord(at, word, sizeof word);
    const char* value = AfterWord(at);
    const char* next = AfterWord(value);  // past a keyword's number
    if (EqualWord(word, "wtime")) go.clock_ms[WHITE] = ReadMs(value);
    else if (EqualWord(word, "btime")) go.clock_ms[BLACK] = ReadMs(value);
    else if (EqualWord(word, "winc")) go.increment_ms[WHITE] = ReadMs(value);
    else if (EqualWord(word, "binc")) go.increment_ms[BLACK] = ReadMs(value);
    else if (EqualWord(word, "movestogo")) go.moves_to_go = ReadMs(value);
    else if (EqualWord(word, "movetime")) go.move_time_ms = ReadMs(value);
    else if (EqualWord(word, "depth")) go.depth = ReadMs(value);
    else if (EqualWord(word, "nodes")) go.nodes = strtoull(value, nullptr, 10);
    else if (EqualWord(word, "mate")) go.mate = ReadMs(value);
    else if (EqualWord(word, "searchmoves")) next = ReadSearchMoves(value, go);
    else {
      next = value;
      if (EqualWord(word, "infinite")) {
        go.infinite = true;
      } else if (EqualWord(word, "ponder")) {
        go.ponder = true;
      } else {
        char message[96];
        snprintf(message, sizeof message, "go: '%s' is not supported and is ignored", word);
        WriteInfoString(message);
      }
    }
    at = next;
  }
  return go;
}

bool UciGoIsTimed(const UciGo& go, int side) { return go.move_time_ms >= 0 || go.clock_ms[side] >= 0; }

bool UciGoWaitsForStop(const UciGo& go, int side) {
  return go.infinite || go.ponder ||
         (!UciGoIsTimed(go, side) && go.depth < 0 && go.nodes == 0 && go.mate < 0);
}

TimeBudget UciTimeBudget(const UciGo& go, int side, bool ponder, int32_t overhead_ms) {
  // The engine's rules count whole seconds of increment; a fraction of a
  // second is left out, which only errs on the safe side.
  ClockSettings clock = {
      go.move_time_ms >= 0 ? static_cast<uint32_t>(LessOverhead(go.move_time_ms, overhead_ms)) : NO_FIXED_TIME,
      go.clock_ms[side] >= 0 ? LessOverhead(go.clock_ms[side], overhead_ms) : 0,
      go.moves_to_go,
      go.increment_ms[side] / 1000,
      0,
      ponder,
  };
  return ComputeTimeBudget(clock);
}

SearchOrder UciSearchOrder(const UciGo& go, int side, bool ponder, ProgressReporter reporter,
                           int32_t overhead_ms) {
  int32_t limit = DEFAULT_DEPTH_LIMIT;
  if (go.depth >= 0) {
    const int32_t depth = go.depth < 1 ? 1 : (go.depth < MAX_UCI_DEPTH ? go.depth : MAX_UCI_DEPTH);
    limit = depth + 1;
  }
  if (go.mate >= 0) {
    const int32_t moves = go.mate < 1 ? 1 : (go.mate < MAX_UCI_MATE ? go.mate : MAX_UCI_MATE);
    if (2 * moves < limit) limit = 2 * moves;
  }
  const bool timed = UciGoIsTimed(go, side) && !go.ponder && !go.infinite;
  SearchOrder order = {timed, UciTimeBudget(go, side, ponder, overhead_ms), limit, reporter};
  order.node_limit = go.nodes;
  if (go.search_move_count > 0) {
    order.root_moves = go.search_moves;
    order.root_count = go.search_move_count;
  }
  return order;
}

bool UciMateFound(const UciGo& go, int score) {
  return go.mate >= 0 && score > MATE_BOUND && (MATE - score + 1) / 2 <= go.mate;
}
