#include "frontend/xboard/commands.h"

#include <cstring>

#include "frontend/banner.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/engine_state.h"
#include "frontend/game.h"
#include "frontend/move_text.h"
#include "frontend/options.h"
#include "frontend/search_handover.h"
#include "frontend/xboard/analysis.h"
#include "frontend/xboard/ping.h"
#include "platform/build_flavour.h"
#include "search/parallel_search.h"
#include "search/search_record.h"

uint16_t pending_move = 0;
uint16_t expected_move = 0;

namespace {

enum CommandId : int8_t {
  Computer = 1, Easy = 2, Hard = 3, Level = 4, Otim = 5, Time = 6, PostOn = 7,
  PostOff = 8, St = 9, Sd = 10, Name = 11, Xboard = 12, KibitzCommand = 13,
  Go = 14, Perft = 15, Setboard = 16, DrawScore = 17, BlockedScore = 18,
  MoveNow = 19, Hint = 20, Force = 21, NewCommand = 22, Remove = 23, Undo = 24,
  QuitCommand = 25, Ping = 26, Analyze = 27, Exit = 28, Status = 29,
  Memory = 30, Cores = 31, OptionCommand = 32,
};

constexpr uint8_t THINKING = static_cast<uint8_t>(EngineState::Thinking);
constexpr uint8_t NEW = static_cast<uint8_t>(EngineState::New);
constexpr uint8_t WAITING = static_cast<uint8_t>(EngineState::Waiting);
constexpr uint8_t QUIT = static_cast<uint8_t>(EngineState::Quit);
constexpr uint8_t ANALYSING = static_cast<uint8_t>(EngineState::Analysing);

// The commands in lookup order: the first row whose name matches wins.
constexpr CommandEntry COMMAND_TABLE[] = {
    {Computer,      AnyState,                   0,         "computer"},
    {Easy,          AnyState,                   0,         "easy"},
    {Hard,          AnyState,                   0,         "hard"},
    {Level,         AnyState,                   0,         "level"},
    {Otim,          AnyState,                   0,         "otim"},
    {Time,          AnyState,                   0,         "time"},
    {PostOn,        AnyState,                   0,         "post"},
    {PostOff,       AnyState,                   0,         "nopost"},
    {St,            AnyState,                   0,         "st"},
    {Sd,            AnyState,                   0,         "sd"},
    {Name,          AnyState,                   0,         "name"},
    {Xboard,        AnyState,                   0,         "xboard"},
    {KibitzCommand, AnyState,                   0,         "kibitz"},
    {DrawScore,     AnyState,                   0,         "draw_score"},
    {BlockedScore,  AnyState,                   0,         "blocked_score"},
    {Ping,          AnyState,                   0,         "ping"},
    {OptionCommand, AnyState,                   0,         "option"},
    {Memory,        OnlyWaiting,                0,         "memory"},
    {Cores,         OnlyWaiting,                0,         "cores"},
    {Go,            OnlyWaiting,                THINKING,  "go"},
    {Perft,         OnlyWaiting,                0,         "perft"},
    {Setboard,      OnlyWaiting | OrAnalysing,  NEW,       "setboard"},
    {MoveNow,       OnlyThinking | Interrupts,  0,         "?"},
    {Hint,          AnyState,                   0,         "hint"},
    {Force,         Interrupts,                 WAITING,   "force"},
    {NewCommand,    Interrupts,                 NEW,       "new"},
    {Remove,        Interrupts,                 0,         "remove"},
    {Undo,          Interrupts,                 0,         "undo"},
    {QuitCommand,   Interrupts,                 QUIT,      "quit"},
    {Analyze,       Interrupts,                 ANALYSING, "analyze"},
    {Exit,          OnlyAnalysing | Interrupts, WAITING,   "exit"},
    {Status,        OnlyAnalysing,              0,         "."},
    {-1,            0,                          0,         ""},
};

// Up to three arguments: where each starts (running to the line's end) and
// its value as an integer; an absent one has no text and value 0.
struct Arguments {
  const char* text[3];
  int value[3];
};

bool IsSeparator(char c) { return static_cast<signed char>(c) <= 32; }

const CommandEntry* FindCommand() {
  for (const CommandEntry* entry = COMMAND_TABLE; entry->id >= 0; entry++) {
    size_t length = strlen(entry->name);
    if (strncmp(line_buffer, entry->name, length) != 0) continue;
    char next = line_buffer[length];
    if (IsSeparator(next) || next == '=') return entry;
  }
  return nullptr;
}

// Scans from one character past the command's name; the buffer's zero
// bytes end the line, so nothing is read beyond it.
Arguments ReadArguments(size_t name_length) {
  Arguments arguments = {{nullptr, nullptr, nullptr}, {0, 0, 0}};
  size_t at = line_buffer[name_length] == 0 ? name_length : name_length + 1;
  for (int i = 0; i < 3; i++) {
    while (at < LINE_BUFFER_SIZE && line_buffer[at] != 0 && IsSeparator(line_buffer[at])) at++;
    if (at >= LINE_BUFFER_SIZE || line_buffer[at] == 0) break;
    arguments.text[i] = line_buffer + at;
    arguments.value[i] = ReadInteger(line_buffer + at);
    while (at < LINE_BUFFER_SIZE && !IsSeparator(line_buffer[at])) at++;
  }
  return arguments;
}

bool GateAllows(uint8_t gate) {
  if ((gate & OrAnalysing) && engine_state == EngineState::Analysing) return true;
  if ((gate & OnlyAnalysing) && engine_state != EngineState::Analysing) return false;
  if ((gate & OnlyWaiting) && engine_state != EngineState::Waiting) return false;
  if ((gate & OnlyThinking) && engine_state != EngineState::Thinking) return false;
  if ((gate & OnlyPondering) && engine_state != EngineState::Pondering) return false;
  return true;
}

// Centiseconds or seconds from the protocol to milliseconds, kept within
// the 32-bit range.
int32_t ScaledClamp(int value, int64_t scale, int64_t low, int64_t high) {
  int64_t scaled = static_cast<int64_t>(value) * scale;
  if (scaled < low) return static_cast<int32_t>(low);
  if (scaled > high) return static_cast<int32_t>(high);
  return static_cast<int32_t>(scaled);
}

constexpr int64_t INT32_LOW = -2147483647LL - 1;
constexpr int64_t INT32_HIGH = 2147483647LL;

// Copies the text into opponent_name, cut to its size.
void StoreName(const char* text) {
  strncpy(opponent_name, text, OPPONENT_NAME_SIZE - 1);
  opponent_name[OPPONENT_NAME_SIZE - 1] = 0;
}

// "undo" and "remove": during a search the game is the one the search
// works on, so the take-back waits until the search has stopped.
void TakeBackMoves(int count) {
  if (SearchIsRunning()) {
    DeferTakeBacks(count);
    return;
  }
  for (int i = 0; i < count; i++) TakeBack();
  RebuildLegalMoves();
  // Taking back a mate or stalemate reopens the game: a new end is announced.
  if (engine_state == EngineState::GameOver && legal_count > 0) {
    engine_state = EngineState::Waiting;
    result_printed = false;
  }
}

// The answer to "xboard": what the engine can do, before "done". The
// table is resized ("memory") and threads set ("cores") only between
// searches, where the loop waits for input.
void WriteFeatures() {
  char name[FORMAT_BUFFER_SIZE];
  FormatBannerFirstLine(name, sizeof name, thread_count);
  name[strcspn(name, "\n")] = 0;
  PrintFormatted("feature setboard=1\nfeature ping=1\nfeature myname=\"%s\"\nfeature memory=1\n%s"
                 "feature sigint=0\nfeature sigterm=0\nfeature option=\"MultiPV -spin 1 1 %i\"\nfeature done=1",
                 name, BUILD_MP ? "feature smp=1\n" : "", MAX_MULTI_PV);
  WriteText("\r\n");
}

// "memory N": the largest table that fits N MiB.
void SetMemory(int mib) { AllocateTranspositionTable(HashLogForMiB(mib)); }

// "cores N": the search threads, within 2..8 and the processors there are.
void SetCores(int cores) {
  if constexpr (!BUILD_MP) return;
  const int processors = CountProcessors();
  int threads = cores < processors ? cores : processors;
  if (threads > MAX_THREADS) threads = MAX_THREADS;
  if (threads < 2) threads = 2;
  thread_count = SetSearchThreads(threads);
}

// "option NAME=VALUE": the one option declared, MultiPV.
void SetOption(const char* text) {
  if (text == nullptr || strncmp(text, "MultiPV=", 8) != 0) return;
  const int lines = ReadInteger(text + 8);
  multi_pv = lines < 1 ? 1 : (lines > MAX_MULTI_PV ? MAX_MULTI_PV : lines);
}

// "hint": the reply the engine expects, while the opponent is to move.
void WriteHint() {
  const bool opponent_to_move = engine_state == EngineState::Waiting || engine_state == EngineState::PonderStart ||
                                engine_state == EngineState::Pondering;
  if (!opponent_to_move || expected_move == 0) return;
  for (int i = 0; i < legal_count; i++) {
    if (legal_moves[i] != expected_move) continue;
    char text[MOVE_TEXT_SIZE];
    MoveToText(expected_move, text);
    text[strcspn(text, " ")] = 0;
    PrintFormatted("Hint: %s", text);
    WriteText("\r\n");
    return;
  }
}

// The effect of a command row; false for "go" in a position that cannot
// be played, which then changes nothing.
bool ApplyCommand(const CommandEntry& entry, const Arguments& arguments) {
  const int n = arguments.value[0];
  switch (entry.id) {
    case Computer: SetFlag(OpponentIsComputer, arguments.text[0] == nullptr || n != 0); break;
    case Easy: SetFlag(Ponder, false); break;
    case Hard: SetFlag(Ponder, true); break;
    case Level:
      moves_per_control = arguments.value[0];
      base_minutes = arguments.value[1];
      increment_s = arguments.value[2];
      break;
    case Otim: opponent_clock_ms = ScaledClamp(n, 10, INT32_LOW, INT32_HIGH); break;
    case Time: own_clock_ms = ScaledClamp(n, 10, INT32_LOW, INT32_HIGH); break;
    case PostOn: SetFlag(Post, true); break;
    case PostOff: SetFlag(Post, false); break;
    case St: fixed_move_ms = static_cast<uint32_t>(ScaledClamp(n, 1000, 0, NO_FIXED_MOVE_TIME)); break;
    case Sd: depth_limit = n; break;
    case Name:
      if (arguments.text[0] != nullptr) StoreName(arguments.text[0]);
      break;
    case Xboard: WriteFeatures(); break;
    case KibitzCommand: SetFlag(Kibitz, n >= 1); break;
    case DrawScore: draw_score = n; break;
    case Go: return GamePositionIsPlayable();
    case Setboard:
      if (arguments.text[0] == nullptr) return false;
      SetFenSource(arguments.text[0]);
      break;
    case Force: SetFlag(ForceMode, true); break;
    case Ping: AnswerPing(n); break;
    case Analyze: StartAnalysis(); break;
    case Exit: EndAnalysis(); break;
    case Status: WriteAnalysisStatus(); break;
    case Remove: TakeBackMoves(2); break;
    case Undo: TakeBackMoves(1); break;
    case Hint: WriteHint(); break;
    case Memory: SetMemory(n); break;
    case Cores: SetCores(n); break;
    case OptionCommand: SetOption(arguments.text[0]); break;
    default: break;  // "perft", "blocked_score", "?", "new", "quit"
  }
  return true;
}

// A line that is no command: a move, by the state the engine is in.
bool ParseMoveLine() {
  Move move = ParseMove(line_buffer);
  pending_move = move;
  if (move == 0) return false;
  switch (engine_state) {
    case EngineState::Waiting:
      engine_state = FlagIsSet(ForceMode) ? EngineState::Waiting : EngineState::Thinking;
      return true;
    case EngineState::Thinking:
      pending_move = 0;
      return false;
    case EngineState::PonderStart:
      engine_state = EngineState::Thinking;
      return true;
    case EngineState::Pondering:
      if (move != expected_move) return true;
      PonderHit();
      return false;
    case EngineState::Analysing:
      // The loop plays it and analyses the new position.
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ParseCommand() {
  const CommandEntry* entry = FindCommand();
  if (entry == nullptr) return ParseMoveLine();
  if (!GateAllows(entry->gate)) return false;
  const Arguments arguments = ReadArguments(strlen(entry->name));
  const bool stop_pondering = entry->id == Easy && (engine_state == EngineState::PonderStart ||
                                                    engine_state == EngineState::Pondering);
  if (!ApplyCommand(*entry, arguments)) return false;
  if (stop_pondering) return true;
  if (entry->new_state != 0) engine_state = static_cast<EngineState>(entry->new_state);
  if (entry->gate & Interrupts) return true;
  // A new position ("setboard" while analysing) ends the search of the old one.
  if (engine_state == EngineState::New) return true;
  if (engine_state == EngineState::Thinking || engine_state == EngineState::PonderStart) {
    search_record.request.timed = 1;
  }
  return false;
}
