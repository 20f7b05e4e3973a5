#include "frontend/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "frontend/engine_state.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"
#include "search/search_record.h"

char line_buffer[LINE_BUFFER_SIZE];
std::atomic<uint8_t> poll_requested{0};
std::atomic<uint8_t> tick_stop{0};
std::atomic<uint8_t> tick_done{1};

namespace {

LineParser line_parser = nullptr;
bool input_ended = false;
bool search_in_progress = false;

// Where ReadAndParse puts each line: line_buffer, or a protocol's larger one.
char* parse_buffer = line_buffer;
int parse_buffer_size = LINE_BUFFER_SIZE;

// A line read ahead of the parser; the next ReadLine hands it on.
char held_line[LINE_BUFFER_SIZE];
bool line_held = false;
bool held_line_ended_input = false;

// Whether a byte counts as blank or control: value at most 32 read as a
// signed byte, which takes in bytes 128 to 255 as well.
bool IsBlankOrControl(char c) { return static_cast<signed char>(c) <= 32; }

}  // namespace

void InitConsole() { platform::InitStdio(); }

void SetLineParser(LineParser parser) { line_parser = parser; }

bool InputEnded() { return input_ended; }

void ResetConsole() {
  input_ended = false;
  search_in_progress = false;
  line_held = false;
  held_line_ended_input = false;
  parse_buffer = line_buffer;
  parse_buffer_size = LINE_BUFFER_SIZE;
  line_parser = nullptr;
}

bool ReadLine(char* buffer, int size) {
  if (line_held) {
    line_held = false;
    if (size > 0) {
      const size_t length = strnlen(held_line, static_cast<size_t>(size - 1));
      memcpy(buffer, held_line, length);
      buffer[length] = 0;
    }
    return !held_line_ended_input;
  }
  if (size <= 1) {
    if (size == 1) buffer[0] = 0;
    return !input_ended;
  }
  int length = 0;
  bool line_complete = false;
  while (!line_complete) {
    uint8_t byte;
    int got = platform::ReadStdinByte(&byte);
    if (got <= 0) {
      // A failed read loses the partial line; the end of data keeps it.
      if (got < 0) length = 0;
      input_ended = true;
      break;
    }
    if (length < size - 1) {
      buffer[length++] = static_cast<char>(byte);
    }
    line_complete = byte == '\n';
  }
  buffer[length] = 0;
  return !input_ended;
}

namespace {

// A search on the clock ends by itself: when the input ends under it, it
// may finish and its move be played before the engine quits. Any other
// search, and the waiting loop, end the engine at once.
bool SearchMayFinish() {
  return search_in_progress && search_record.request.timed != 0;
}

}  // namespace

bool ReadAndParse() {
  char* const buffer = parse_buffer;
  memset(buffer, 0, parse_buffer_size);
  bool more = ReadLine(buffer, parse_buffer_size);
  int end = static_cast<int>(strlen(buffer));
  while (end > 0 && IsBlankOrControl(buffer[end - 1])) buffer[--end] = 0;
  bool stop = false;
  if (engine_state != EngineState::Quit && line_parser != nullptr) stop = line_parser();
  if (!more && !SearchMayFinish()) {
    engine_state = EngineState::Quit;
    return true;
  }
  return stop || engine_state == EngineState::Quit;
}

bool PollInput() {
  if (line_held) return ReadAndParse();
  if (input_ended) {
    if (SearchMayFinish()) return false;
    engine_state = EngineState::Quit;
    return true;
  }
  long waiting = platform::StdinBytesWaiting();
  if (waiting < 0) platform::ExitProcess(1);
  if (waiting == 0) return false;
  return ReadAndParse();
}

const char* ReadAheadLine() {
  memset(held_line, 0, sizeof held_line);
  held_line_ended_input = !ReadLine(held_line, LINE_BUFFER_SIZE);
  line_held = true;
  // The caller's view: the same line without blanks and controls around it.
  static char stripped[LINE_BUFFER_SIZE];
  const char* start = held_line;
  while (*start != 0 && IsBlankOrControl(*start)) start++;
  int end = static_cast<int>(strlen(start));
  while (end > 0 && IsBlankOrControl(start[end - 1])) end--;
  memcpy(stripped, start, end);
  stripped[end] = 0;
  return stripped;
}

void DropHeldLine() { line_held = false; }

void UseParseBuffer(char* buffer, int size) {
  parse_buffer = buffer;
  parse_buffer_size = size;
}

void SetSearchInProgress(bool running) { search_in_progress = running; }

void WriteText(const char* text) { platform::WriteStdout(text, strlen(text)); }

void PrintFormatted(const char* format, ...) {
  char text[FORMAT_BUFFER_SIZE];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  WriteText(text);
}

uint32_t NowMs() { return platform::TickCountMs(); }

namespace {

void TickThread(void*) {
  while (tick_stop.load(std::memory_order_relaxed) == 0) {
    platform::SleepMs(50);
    poll_requested.store(1, std::memory_order_relaxed);
  }
  tick_done.store(1, std::memory_order_release);
}

}  // namespace

bool StartTickThread() {
  // A fuzzing session must not wait for a thread to end: its searches time
  // their own polls instead.
  if constexpr (BUILD_FUZZ) return false;
  tick_stop.store(0, std::memory_order_relaxed);
  tick_done.store(0, std::memory_order_relaxed);
  if (platform::StartThread(TickThread, nullptr)) return true;
  tick_done.store(1, std::memory_order_relaxed);
  return false;
}

void StopTickThread() {
  tick_stop.store(1, std::memory_order_relaxed);
  while (tick_done.load(std::memory_order_acquire) == 0) platform::SleepMs(50);
}
