#include "frontend/uci/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"
#include "frontend/options.h"
#include "frontend/uci/output.h"
#include "frontend/uci/text.h"
#include "platform/build_flavour.h"
#include "search/parallel_search.h"
#include "search/search_record.h"
#include "search/transposition.h"

namespace {

constexpr int MIN_THREADS = 2;

bool own_book = true;
int32_t move_overhead_ms = 0;
constexpr int32_t MAX_MOVE_OVERHEAD_MS = 5000;

// What "uci" shows as the defaults: the values the program started with,
// whatever the front end has set since.
int startup_hash_log = 0;
int startup_threads = 0;

// The option's name (the words before "value") and its value text.
struct OptionText {
  char name[64];
  const char* value;  // null when the line has no "value"
};

OptionText SplitOption(const char* text) {
  OptionText option = {{0}, nullptr};
  text = SkipBlanks(text);
  if (!StartsWithWord(text, "name")) return option;
  text = SkipBlanks(text + 4);
  size_t length = 0;
  while (*text != 0) {
    if (IsBlank(*text)) {
      const char* word = SkipBlanks(text);
      if (StartsWithWord(word, "value")) {
        option.value = SkipBlanks(word + 5);
        break;
      }
      if (*word == 0) break;
    }
    if (length + 1 < sizeof option.name) option.name[length++] = *text;
    text++;
  }
  option.name[length] = 0;
  return option;
}

// "true" or "false"; false for anything else, which `valid` reports.
bool ReadCheck(const char* value, bool* valid) {
  *valid = value != nullptr && (EqualIgnoringCase(value, "true") || EqualIgnoringCase(value, "false"));
  return *valid && EqualIgnoringCase(value, "true");
}

// A decimal number; `valid` is false for text that does not start with one.
int64_t ReadSpin(const char* value, bool* valid) {
  *valid = false;
  if (value == nullptr) return 0;
  char* end = nullptr;
  const long long number = strtoll(value, &end, 10);
  *valid = end != value;
  return number;
}

void SetHash(const char* value) {
  bool valid;
  const int64_t mib = ReadSpin(value, &valid);
  if (!valid) {
    WriteInfoString("Hash needs a number of MiB");
    return;
  }
  const int used = AllocateTranspositionTable(HashLogForMiB(mib));
  if (HashMiB(used) != mib) {
    char text[96];
    snprintf(text, sizeof text, "Hash is %i MiB, the nearest size the table can take", HashMiB(used));
    WriteInfoString(text);
  }
}

void SetThreads(const char* value) {
  bool valid;
  int64_t threads = ReadSpin(value, &valid);
  if (!valid) {
    WriteInfoString("Threads needs a number");
    return;
  }
  if (threads < MIN_THREADS) threads = MIN_THREADS;
  if (threads > MAX_THREADS) threads = MAX_THREADS;
  // As at start-up: more threads than processors would only take turns.
  const int cores = CountProcessors();
  if (threads > cores) {
    char text[96];
    snprintf(text, sizeof text, "Threads %i refused: not enough cores/processors (%i); still %i", static_cast<int>(threads),
             cores, thread_count);
    WriteInfoString(text);
    return;
  }
  thread_count = SetSearchThreads(static_cast<int>(threads));
}

// A number within low .. high, or an explanation and false.
bool ReadSpinInRange(const char* name, const char* value, int64_t low, int64_t high, int64_t* number) {
  bool valid;
  *number = ReadSpin(value, &valid);
  if (valid && *number >= low && *number <= high) return true;
  char text[96];
  snprintf(text, sizeof text, "%s needs a number from %lli to %lli", name, static_cast<long long>(low),
           static_cast<long long>(high));
  WriteInfoString(text);
  return false;
}

void SetCheck(const char* name, const char* value, void (*apply)(bool)) {
  bool valid;
  const bool on = ReadCheck(value, &valid);
  if (!valid) {
    char text[96];
    snprintf(text, sizeof text, "%s needs true or false", name);
    WriteInfoString(text);
    return;
  }
  apply(on);
}

}  // namespace

void RememberStartupOptions() {
  startup_hash_log = table_hash_log;
  startup_threads = thread_count;
}

void WriteUciOptions() {
  PrintFormatted("option name Hash type spin default %i min 1 max %i\n", HashMiB(startup_hash_log),
                 HashMiB(MaxHashLog()));
  if (BUILD_MP) {
    PrintFormatted("option name Threads type spin default %i min %i max %i\n", startup_threads,
                   MIN_THREADS, MAX_THREADS);
  }
  WriteText("option name Ponder type check default false\n");
  WriteText("option name OwnBook type check default true\n");
  PrintFormatted("option name MultiPV type spin default 1 min 1 max %i\n", MAX_MULTI_PV);
  PrintFormatted("option name Move Overhead type spin default 0 min 0 max %i\n", MAX_MOVE_OVERHEAD_MS);
  WriteText("option name Clear Hash type button\n");
  WriteText("option name UCI_AnalyseMode type check default false\n");
}

void ApplyUciOption(const char* text) {
  const OptionText option = SplitOption(text);
  if (EqualIgnoringCase(option.name, "Hash")) {
    SetHash(option.value);
  } else if (BUILD_MP && EqualIgnoringCase(option.name, "Threads")) {
    SetThreads(option.value);
  } else if (EqualIgnoringCase(option.name, "Ponder")) {
    SetCheck("Ponder", option.value, [](bool on) { SetFlag(Ponder, on); });
  } else if (EqualIgnoringCase(option.name, "OwnBook")) {
    SetCheck("OwnBook", option.value, [](bool on) { own_book = on; });
  } else if (EqualIgnoringCase(option.name, "UCI_AnalyseMode")) {
    // Accepted for the front ends that send it; analysis searches as any search.
    SetCheck("UCI_AnalyseMode", option.value, [](bool) {});
  } else if (EqualIgnoringCase(option.name, "MultiPV")) {
    int64_t lines;
    if (ReadSpinInRange("MultiPV", option.value, 1, MAX_MULTI_PV, &lines)) multi_pv = static_cast<int32_t>(lines);
  } else if (EqualIgnoringCase(option.name, "Move Overhead")) {
    int64_t ms;
    if (ReadSpinInRange("Move Overhead", option.value, 0, MAX_MOVE_OVERHEAD_MS, &ms)) {
      move_overhead_ms = static_cast<int32_t>(ms);
    }
  } else if (EqualIgnoringCase(option.name, "Clear Hash")) {
    ClearHash();
  } else {
    char message[128];
    snprintf(message, sizeof message, "unknown option '%s'", option.name);
    WriteInfoString(message);
  }
}

bool UciOwnBook() { return own_book; }

int32_t UciMoveOverheadMs() { return move_overhead_ms; }
