// Linux implementation of the platform interface.
#include "platform/platform.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <new>

namespace platform {

namespace {

InputKind input_kind = InputKind::Other;

InputKind ClassifyStdin() {
  struct stat info;
  if (fstat(STDIN_FILENO, &info) != 0) return InputKind::Other;
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return InputKind::Pipe;
  if (S_ISREG(info.st_mode)) return InputKind::File;
  if (isatty(STDIN_FILENO)) return InputKind::Console;
  return InputKind::Other;
}

// Zero-timeout poll: 1 when a read would not block, 0 when not, -1 on error.
long PollReadable() {
  struct pollfd request = {STDIN_FILENO, POLLIN, 0};
  int ready;
  do {
    ready = poll(&request, 1, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return -1;
  if (ready == 0) return 0;
  return (request.revents & (POLLIN | POLLHUP | POLLERR)) ? 1 : 0;
}

}  // namespace

void InitStdio() {
  input_kind = ClassifyStdin();
  // The front end may interrupt us before its moves; the engine answers
  // only to its commands. A vanished reader must not kill us mid-write.
  signal(SIGINT, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  if (input_kind == InputKind::Console) tcflush(STDIN_FILENO, TCIFLUSH);
}

InputKind StdinKind() { return input_kind; }

int ReadStdinByte(uint8_t* byte) {
  for (;;) {
    ssize_t count = read(STDIN_FILENO, byte, 1);
    if (count == 1) return 1;
    if (count == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

long StdinBytesWaiting() {
  if (input_kind == InputKind::Pipe || input_kind == InputKind::File) {
    int count = 0;
    if (ioctl(STDIN_FILENO, FIONREAD, &count) != 0) return -1;
    if (count > 0) return count;
    // A pipe whose writer has gone reports 0 bytes but is readable (the
    // end of data), which the reader must see to end the engine.
    if (input_kind == InputKind::Pipe) return PollReadable();
    return 0;
  }
  return PollReadable();
}

void WriteStdout(const char* text, size_t length) {
  while (length > 0) {
    ssize_t written = write(STDOUT_FILENO, text, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text += written;
    length -= static_cast<size_t>(written);
  }
}

uint32_t TickCountMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t ms) {
  struct timespec pause = {static_cast<time_t>(ms / 1000),
                           static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

namespace {

struct ThreadStart {
  ThreadEntry entry;
  void* argument;
};

void* RunThread(void* raw) {
  ThreadStart start = *static_cast<ThreadStart*>(raw);
  delete static_cast<ThreadStart*>(raw);
  start.entry(start.argument);
  return nullptr;
}

}  // namespace

bool StartThread(ThreadEntry entry, void* argument, size_t stack_bytes) {
  ThreadStart* start = new (std::nothrow) ThreadStart{entry, argument};
  if (start == nullptr) return false;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    delete start;
    return false;
  }
  // A size below the system's minimum would make the whole call fail.
  if (stack_bytes < static_cast<size_t>(PTHREAD_STACK_MIN)) stack_bytes = 0;
  bool started = stack_bytes == 0 || pthread_attr_setstacksize(&attributes, stack_bytes) == 0;
  pthread_t thread;
  started = started && pthread_create(&thread, &attributes, RunThread, start) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) {
    delete start;
    return false;
  }
  pthread_detach(thread);
  return true;
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

struct Parker {
  std::mutex lock;
  std::condition_variable signal;
  bool woken = false;
};

Parker* CreateParker() { return new Parker; }

void DestroyParker(Parker* parker) { delete parker; }

void Park(Parker* parker) {
  std::unique_lock<std::mutex> guard(parker->lock);
  parker->signal.wait(guard, [parker] { return parker->woken; });
  parker->woken = false;
}

void Wake(Parker* parker) {
  {
    std::lock_guard<std::mutex> guard(parker->lock);
    parker->woken = true;
  }
  parker->signal.notify_one();
}

int OpenReadOnly(const char* path) {
  // Non-blocking, or a FIFO would wait here for a writer; the type is then
  // checked on the open file, so it cannot change in between.
  const int handle = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (handle < 0) return -1;
  struct stat status;
  if (fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(handle);
    return -1;
  }
  return handle;
}

bool SeekFile(int handle, uint32_t offset) {
  return lseek(handle, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

long ReadFile(int handle, void* buffer, size_t length) {
  size_t total = 0;
  while (total < length) {
    ssize_t count = read(handle, static_cast<char*>(buffer) + total, length - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return -1;
    if (count == 0) break;
    total += static_cast<size_t>(count);
  }
  return static_cast<long>(total);
}

void CloseFile(int handle) {
  if (handle >= 0) close(handle);
}

int ProcessorCount() {
  long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count < 1 ? 1 : static_cast<int>(count);
}

bool SystemSetsProcessorVariable() { return false; }

EnvironmentRead ReadEnvironment(const char* name, char* buffer, size_t size) {
  const char* value = getenv(name);
  if (value == nullptr) return EnvironmentRead::Unset;
  size_t length = strlen(value);
  if (length + 1 > size) return EnvironmentRead::TooLong;
  memcpy(buffer, value, length + 1);
  return EnvironmentRead::Copied;
}

void* AllocateZeroed(size_t bytes) { return calloc(bytes, 1); }

void FreeMemory(void* block) { free(block); }

void TakeCommandLine(int&, char**&) {}

namespace {

constexpr uintptr_t HUGE_PAGE_BYTES = uintptr_t{2} << 20;

uintptr_t RoundUpToHugePage(uintptr_t value) { return (value + HUGE_PAGE_BYTES - 1) & ~(HUGE_PAGE_BYTES - 1); }

}  // namespace

LargeBlock AllocateLarge(size_t bytes) {
  if (bytes > 0 && bytes <= SIZE_MAX - 2 * HUGE_PAGE_BYTES) {
    // Map one huge page more than needed so that an aligned start lies
    // inside, then give back the unaligned ends. Anonymous pages are zero.
    const size_t length = RoundUpToHugePage(bytes);
    void* raw = mmap(nullptr, length + HUGE_PAGE_BYTES, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
      const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
      const uintptr_t aligned = RoundUpToHugePage(start);
      const uintptr_t end = start + length + HUGE_PAGE_BYTES;
      if (aligned > start) munmap(raw, aligned - start);
      if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
      void* memory = reinterpret_cast<void*>(aligned);
      madvise(memory, length, MADV_HUGEPAGE);  // refused: ordinary pages, same contents
      return {memory, length, true};
    }
  }
  void* memory = calloc(bytes, 1);
  return {memory, memory != nullptr ? bytes : 0, false};
}

void FreeLarge(LargeBlock& block) {
  if (block.memory == nullptr) return;
  if (block.mapped)
    munmap(block.memory, block.bytes);
  else
    free(block.memory);
  block = LargeBlock{nullptr, 0, false};
}

void AdviseHugePages(void* block, size_t bytes) {
  const uintptr_t start = RoundUpToHugePage(reinterpret_cast<uintptr_t>(block));
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(HUGE_PAGE_BYTES - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void ExitProcess(int code) { _exit(code); }

}  // namespace platform
