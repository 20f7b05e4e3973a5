// Windows implementation of the platform interface.
#include "platform/platform.h"

#include <windows.h>

#include "platform/build_flavour.h"
#include "platform/command_line.h"

namespace platform {

namespace {

HANDLE input_handle = INVALID_HANDLE_VALUE;
// Input is read in blocks: a read is a round trip through the system (under
// Wine through its server, about 0.1 ms), so a position line of a long
// game read byte by byte cost the engine's clock tens of milliseconds.
uint8_t input_block[4096];
DWORD input_block_size = 0;
DWORD input_block_used = 0;
HANDLE output_handle = INVALID_HANDLE_VALUE;
InputKind input_kind = InputKind::Other;

// A console answers GetConsoleMode; the NUL device is a character file
// that does not.
InputKind ClassifyStdin(DWORD* console_mode) {
  switch (GetFileType(input_handle)) {
    case FILE_TYPE_PIPE:
      return InputKind::Pipe;
    case FILE_TYPE_DISK:
      return InputKind::File;
    case FILE_TYPE_CHAR:
      return GetConsoleMode(input_handle, console_mode) ? InputKind::Console : InputKind::Other;
    default:
      return InputKind::Other;
  }
}

// Bytes left to read in a disk file: reading them never blocks.
long FileBytesLeft() {
  LARGE_INTEGER size;
  LARGE_INTEGER position;
  LARGE_INTEGER zero = {};
  if (!GetFileSizeEx(input_handle, &size)) return -1;
  if (!SetFilePointerEx(input_handle, zero, &position, FILE_CURRENT)) return -1;
  LONGLONG left = size.QuadPart - position.QuadPart;
  if (left <= 0) return 0;
  return left > 0x7fffffff ? 0x7fffffff : static_cast<long>(left);
}

}  // namespace

void InitStdio() {
  input_handle = GetStdHandle(STD_INPUT_HANDLE);
  output_handle = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  input_kind = ClassifyStdin(&mode);
  if (input_kind == InputKind::Console) {
    // Only key events may count as waiting input.
    SetConsoleMode(input_handle, mode & ~static_cast<DWORD>(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
    FlushConsoleInputBuffer(input_handle);
  }
}

InputKind StdinKind() { return input_kind; }

int ReadStdinByte(uint8_t* byte) {
  if (input_block_used == input_block_size) {
    // A pipe or console read returns what has arrived, up to the block.
    DWORD count = 0;
    if (!::ReadFile(input_handle, input_block, sizeof input_block, &count, nullptr)) {
      // A pipe whose writer has gone: the end of the data, as on Linux.
      return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    if (count == 0) return 0;
    input_block_size = count;
    input_block_used = 0;
  }
  *byte = input_block[input_block_used++];
  return 1;
}

long StdinBytesWaiting() {
  if (input_block_used < input_block_size) return static_cast<long>(input_block_size - input_block_used);
  switch (input_kind) {
    case InputKind::Pipe: {
      DWORD available = 0;
      if (PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr)) {
        return static_cast<long>(available);
      }
      // The writer has gone: a read would not block; it reports the end.
      return GetLastError() == ERROR_BROKEN_PIPE ? 1 : -1;
    }
    case InputKind::File:
      return FileBytesLeft();
    default: {
      // A lone event (a key going up or down) is not yet a line.
      DWORD events = 0;
      if (!GetNumberOfConsoleInputEvents(input_handle, &events)) return -1;
      return events > 1 ? static_cast<long>(events) : 0;
    }
  }
}

void WriteStdout(const char* text, size_t length) {
  while (length > 0) {
    DWORD written = 0;
    DWORD chunk = length > 0x10000 ? 0x10000 : static_cast<DWORD>(length);
    if (!WriteFile(output_handle, text, chunk, &written, nullptr) || written == 0) return;
    text += written;
    length -= written;
  }
}

uint32_t TickCountMs() { return GetTickCount(); }

namespace {

// A FILETIME counts 100-nanosecond units.
uint64_t FileTimeUnits(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

uint64_t ProcessorTimeUs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return (FileTimeUnits(kernel) + FileTimeUnits(user)) / 10u;
}

void SleepMs(uint32_t ms) { Sleep(ms); }

namespace {

struct ThreadStart {
  ThreadEntry entry;
  void* argument;
};

DWORD WINAPI RunThread(LPVOID raw) {
  ThreadStart start = *static_cast<ThreadStart*>(raw);
  HeapFree(GetProcessHeap(), 0, raw);
  start.entry(start.argument);
  return 0;
}

}  // namespace

bool StartThread(ThreadEntry entry, void* argument, size_t stack_bytes) {
  void* block = HeapAlloc(GetProcessHeap(), 0, sizeof(ThreadStart));
  if (block == nullptr) return false;
  *static_cast<ThreadStart*>(block) = ThreadStart{entry, argument};
  // The size reserves address space; pages are committed as the stack grows.
  DWORD flags = stack_bytes > 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0;
  HANDLE thread = CreateThread(nullptr, stack_bytes, RunThread, block, flags, nullptr);
  if (thread == nullptr) {
    HeapFree(GetProcessHeap(), 0, block);
    return false;
  }
  CloseHandle(thread);
  return true;
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

// An auto-reset event: a wake before the park stays set until the park
// consumes it.
struct Parker {
  HANDLE event;
};

Parker* CreateParker() {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) return nullptr;
  return new Parker{event};
}

void DestroyParker(Parker* parker) {
  if (parker == nullptr) return;
  CloseHandle(parker->event);
  delete parker;
}

void Park(Parker* parker) { WaitForSingleObject(parker->event, INFINITE); }

void Wake(Parker* parker) { SetEvent(parker->event); }

namespace {

// Open files by small number, so that handles fit the interface's int.
constexpr int MAX_OPEN_FILES = 16;
HANDLE open_files[MAX_OPEN_FILES] = {};

HANDLE FileHandle(int handle) {
  if (handle < 0 || handle >= MAX_OPEN_FILES) return nullptr;
  return open_files[handle];
}

}  // namespace

int OpenReadOnly(const char* path) {
  int slot = 0;
  while (slot < MAX_OPEN_FILES && open_files[slot] != nullptr) slot++;
  if (slot == MAX_OPEN_FILES) return -1;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  // Only a file on disk: a device or a pipe is no file.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return -1;
  }
  open_files[slot] = file;
  return slot;
}

bool SeekFile(int handle, uint32_t offset) {
  HANDLE file = FileHandle(handle);
  if (file == nullptr) return false;
  // The high word 0 makes the low word an unsigned offset up to 4 GiB.
  LONG high = 0;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, static_cast<LONG>(offset), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

long ReadFile(int handle, void* buffer, size_t length) {
  HANDLE file = FileHandle(handle);
  if (file == nullptr) return -1;
  size_t total = 0;
  while (total < length) {
    DWORD chunk = length - total > 0x10000 ? 0x10000 : static_cast<DWORD>(length - total);
    DWORD count = 0;
    if (!::ReadFile(file, static_cast<char*>(buffer) + total, chunk, &count, nullptr)) return -1;
    if (count == 0) break;
    total += count;
  }
  return static_cast<long>(total);
}

void CloseFile(int handle) {
  HANDLE file = FileHandle(handle);
  if (file == nullptr) return;
  CloseHandle(file);
  open_files[handle] = nullptr;
}

int ProcessorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors < 1 ? 1 : static_cast<int>(info.dwNumberOfProcessors);
}

bool SystemSetsProcessorVariable() { return true; }

EnvironmentRead ReadEnvironment(const char* name, char* buffer, size_t size) {
  if (size == 0) return EnvironmentRead::TooLong;
  DWORD capacity = size > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(size);
  SetLastError(NO_ERROR);
  DWORD length = GetEnvironmentVariableA(name, buffer, capacity);
  if (length == 0) {
    buffer[0] = 0;
    return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? EnvironmentRead::Unset
                                                    : EnvironmentRead::Copied;
  }
  // Too small a buffer: the answer is the size needed, the buffer is
  // not filled; leave it empty.
  if (length >= capacity) {
    buffer[0] = 0;
    return EnvironmentRead::TooLong;
  }
  return EnvironmentRead::Copied;
}

void* AllocateZeroed(size_t bytes) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes); }

void FreeMemory(void* block) {
  if (block != nullptr) GlobalFree(block);
}

namespace {

// Large pages need the "Lock pages in memory" privilege, which an account
// has only when given it; a process must switch it on before use.
bool EnableLockMemoryPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueA(nullptr, "SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                 AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
  CloseHandle(token);
  return enabled;
}

// Large pages under the whole table, or null where the account may not.
void* AllocateLargePages(size_t bytes, size_t& rounded) {
  static const bool privileged = EnableLockMemoryPrivilege();
  const size_t page = GetLargePageMinimum();
  if (!privileged || page == 0 || bytes > SIZE_MAX - page) return nullptr;
  rounded = (bytes + page - 1) / page * page;
  return VirtualAlloc(nullptr, rounded, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE);
}

}  // namespace

// Large pages where the account holds the privilege (mapped); otherwise
// ordinary pages, aligned to a page. Both come zero-filled and both are
// released with VirtualFree.
LargeBlock AllocateLarge(size_t bytes) {
  size_t rounded = 0;
  if (void* memory = AllocateLargePages(bytes, rounded)) return {memory, rounded, true};
  void* memory = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  return {memory, memory != nullptr ? bytes : 0, false};
}

void FreeLarge(LargeBlock& block) {
  if (block.memory != nullptr) VirtualFree(block.memory, 0, MEM_RELEASE);
  block = LargeBlock{nullptr, 0, false};
}

void AdviseHugePages(void*, size_t) {}

namespace {

// The 32-bit programs' own copy of the command line and its arguments.
char command_line[32768];
char* split_arguments[33];

}  // namespace

void TakeCommandLine(int& argc, char**& argv) {
  if (BUILD_64_BIT) return;
  // Bounded copy: a longer line is cut, never overruns the buffer.
  lstrcpynA(command_line, GetCommandLineA(), sizeof command_line);
  int count = SplitCommandLine(command_line, split_arguments, 32);
  split_arguments[count] = nullptr;
  argc = count;
  argv = split_arguments;
}

void ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

}  // namespace platform
