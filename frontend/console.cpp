#include "frontend/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "frontend/engine_state.h"
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

// Whether a byte counts as blank or control: value at most 32 read as a
// signed byte, which takes in bytes 128 to 255 as well.
bool IsBlankOrControl(char c) { return static_cast<signed char>(c) <= 32; }

}  // namespace

void InitConsole() { platform::InitStdio(); }

void SetLineParser(LineParser parser) { line_parser = parser; }

bool InputEnded() { return input_ended; }

bool ReadLine(char* buffer, int size) {
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
  memset(line_buffer, 0, sizeof line_buffer);
  bool more = ReadLine(line_buffer, LINE_BUFFER_SIZE);
  int end = static_cast<int>(strlen(line_buffer));
  while (end > 0 && IsBlankOrControl(line_buffer[end - 1])) line_buffer[--end] = 0;
  bool stop = false;
  if (engine_state != EngineState::Quit && line_parser != nullptr) stop = line_parser();
  if (!more && !SearchMayFinish()) {
    engine_state = EngineState::Quit;
    return true;
  }
  return stop || engine_state == EngineState::Quit;
}

bool PollInput() {
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
