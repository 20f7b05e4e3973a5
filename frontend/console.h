// Standard input and output for the protocol: whole lines read one byte at
// a time, a non-blocking check for waiting input, unbuffered writes,
// formatted text, the millisecond clock and the tick thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

inline constexpr int LINE_BUFFER_SIZE = 256;
inline constexpr int FORMAT_BUFFER_SIZE = 1024;

// The one input line; commands are parsed in place and their arguments
// point into it. Bytes after the line's end are always zero.
extern char line_buffer[LINE_BUFFER_SIZE];

// Shared with the tick thread. Single bytes, relaxed: a late or early view
// only shifts a poll by one checkpoint.
extern std::atomic<uint8_t> poll_requested;  // 50 ms have passed
extern std::atomic<uint8_t> tick_stop;       // the tick thread is to end
extern std::atomic<uint8_t> tick_done;       // the tick thread has ended

// Prepares standard input and output; called first at start-up.
void InitConsole();

// Reads one line (line feed included) into buffer, at most size - 1 bytes
// and a zero; the rest of an over-long line is dropped. Returns false when
// the input has ended or failed: the engine then quits after this line.
bool ReadLine(char* buffer, int size);

// Reads one line into line_buffer, strips trailing blanks and control
// bytes, and hands it to the command parser. True: a running search must
// stop.
bool ReadAndParse();

// Called from inside a search: false at once when no input is waiting,
// else ReadAndParse(). After the end of input it stops every search that
// is not on the clock.
bool PollInput();

// One unbuffered write of a zero-ended text.
void WriteText(const char* text);

// printf-style (%s, %i, %u, %x) into a 1024-byte buffer, then WriteText.
// Longer output is cut at 1023 bytes.
void PrintFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Milliseconds of the 32-bit clock; elapsed time is ElapsedMs(start).
uint32_t NowMs();
inline int32_t ElapsedMs(uint32_t start) { return static_cast<int32_t>(NowMs() - start); }

// Starts the tick thread: every 50 ms it sets poll_requested until
// tick_stop; false when the thread could not be started. StopTickThread
// asks it to end and waits until it has.
bool StartTickThread();
void StopTickThread();

// The command parser the console hands each line to; the command loop
// registers it. True means a running search must stop.
using LineParser = bool (*)();
void SetLineParser(LineParser parser);

// True once standard input has ended or failed.
bool InputEnded();

// Forgets everything about the input read so far (its end, a held line,
// the protocol's parse buffer and parser), for a caller that runs the
// command loops again on new input in the same process.
void ResetConsole();

// Whether a search is running: input that ends under a search on the
// clock lets that search finish and its move be played first.
void SetSearchInProgress(bool running);

// Reads the next input line ahead of the parser and returns it without
// its leading and trailing blanks and control bytes; the next ReadLine
// still gets the whole line, unless DropHeldLine forgets it first.
const char* ReadAheadLine();
void DropHeldLine();

// Points ReadAndParse at a larger buffer than line_buffer, for a protocol
// whose lines can be long ("position ... moves ..."), and its parser reads
// the line there.
void UseParseBuffer(char* buffer, int size);
