// The one interface to the operating system. Everything the engine needs
// from it is here; nothing outside platform/ includes a system header.
// platform_posix.cpp implements it for Linux, platform_windows.cpp for
// Windows; the build compiles exactly one of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// What standard input is connected to.
enum class InputKind { Pipe, Console, File, Other };

// Records the input kind, keeps console input free of window and mouse
// events, and makes signals from a front end harmless (an interrupt or a
// closed output pipe must not kill the engine).
void InitStdio();
InputKind StdinKind();

// Reads one byte from standard input: 1 when a byte was read, 0 at the end
// of the data, -1 when the read failed.
int ReadStdinByte(uint8_t* byte);

// Bytes (or events) waiting on standard input without blocking; -1 when the
// query itself fails.
long StdinBytesWaiting();

// One unbuffered write to standard output; the result is ignored.
void WriteStdout(const char* text, size_t length);

// Milliseconds of a monotonic clock, truncated to 32 bits.
uint32_t TickCountMs();
void SleepMs(uint32_t ms);

// Threads. A started thread runs entry(argument) until it returns; its
// stack holds at least stack_bytes (0: the system's default size).
using ThreadEntry = void (*)(void* argument);
bool StartThread(ThreadEntry entry, void* argument, size_t stack_bytes = 0);
uint32_t CurrentThreadId();

// A parking place for one worker thread: the worker parks itself until
// the main thread wakes it. A wake that comes before the park is kept.
struct Parker;
Parker* CreateParker();
void DestroyParker(Parker* parker);
void Park(Parker* parker);
void Wake(Parker* parker);

// One short pause inside a busy-wait loop: lets the other hardware thread
// of a core run and saves power while a spin lock or a flag is watched.
inline void SpinPause() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_ia32_pause();
#endif
}

// Read-only regular files. A handle below 0 is no file: a directory, a
// FIFO or a device is none either, and opening one never blocks.
int OpenReadOnly(const char* path);
bool SeekFile(int handle, uint32_t offset);
long ReadFile(int handle, void* buffer, size_t length);
void CloseFile(int handle);

// The number of processors the operating system reports (at least 1).
int ProcessorCount();

// True where the system itself always sets NUMBER_OF_PROCESSORS (Windows):
// there a missing variable counts no processors instead of asking.
bool SystemSetsProcessorVariable();

// Copies an environment variable and its terminating zero into buffer.
enum class EnvironmentRead { Unset, TooLong, Copied };
EnvironmentRead ReadEnvironment(const char* name, char* buffer, size_t size);

// A zero-filled block of memory, or null.
void* AllocateZeroed(size_t bytes);
void FreeMemory(void* block);

// Replaces the arguments main received by the command line split with
// SplitCommandLine where the program does its own splitting (the 32-bit
// Windows programs); elsewhere it leaves them as they are.
void TakeCommandLine(int& argc, char**& argv);

// A zero-filled block for a large shared table, aligned to and backed by
// huge pages where the system offers them (fewer TLB misses on random
// probes); otherwise a plain allocation. memory is null when both fail.
struct LargeBlock {
  void* memory;
  size_t bytes;  // as mapped, for the release
  bool mapped;   // true: the huge-page mapping; false: the plain allocation
};
LargeBlock AllocateLarge(size_t bytes);
void FreeLarge(LargeBlock& block);

// Asks for huge pages over the aligned part of a table that already exists
// (static storage); a refusal changes nothing.
void AdviseHugePages(void* block, size_t bytes);

// Starts loading the cache line holding address, so a probe that follows
// soon does not wait for memory. A hint only: nothing is read or changed.
inline void Prefetch(const void* address) { __builtin_prefetch(address); }

// Ends the process at once with the exit code, without further output.
[[noreturn]] void ExitProcess(int code);

}  // namespace platform
