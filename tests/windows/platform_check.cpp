// Checks of the Windows platform layer, run under Wine (no test framework
// is cross-built). Usage:
//   quorvel-platform-check STDIN-KIND [ARGUMENTS...]
// STDIN-KIND is pipe or file, what standard input is expected to be. The
// caller sets QUORVEL_CHECK_TWO=12, QUORVEL_CHECK_THREE=123 and
// QUORVEL_CHECK_EMPTY= (empty), and leaves QUORVEL_CHECK_UNSET unset.
// A 32-bit build given more arguments expects them to be "a b" 'c d' e
// as written on its command line, and checks its own splitting. Prints "N passed, M failed"; exit code 1 on a
// failure.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/build_flavour.h"
#include "platform/platform.h"

namespace {

int passed = 0;
int failed = 0;

void Check(bool condition, const char* label) {
  if (condition) {
    passed++;
  } else {
    failed++;
    std::printf("FAIL %s\n", label);
  }
}

void CheckFiles() {
  const char* path = "quorvel-platform-check.dat";
  FILE* file = std::fopen(path, "wb");
  Check(file != nullptr, "temporary file created");
  if (file == nullptr) return;
  std::fputs("0123456789", file);
  std::fclose(file);

  int handle = platform::OpenReadOnly(path);
  Check(handle >= 0, "file opens");
  char buffer[8] = {};
  Check(platform::SeekFile(handle, 4), "seek inside the file");
  Check(platform::ReadFile(handle, buffer, 3) == 3 && std::memcmp(buffer, "456", 3) == 0,
        "read after a seek");
  Check(platform::ReadFile(handle, buffer, 8) == 3, "a read past the end returns what is left");
  Check(platform::ReadFile(handle, buffer, 8) == 0, "a read at the end returns 0");
  // Offsets are unsigned: 3 GiB is past the end, not a negative offset.
  Check(platform::SeekFile(handle, 0xC0000000u), "seek to 3 GiB");
  Check(platform::ReadFile(handle, buffer, 8) == 0, "nothing to read at 3 GiB");

  // Handles are small numbers from a table: a full table refuses, a
  // closed file frees its place.
  int more[32];
  int opened = 0;
  while (opened < 32 && (more[opened] = platform::OpenReadOnly(path)) >= 0) opened++;
  Check(opened > 0 && opened < 32, "a full table of open files refuses another");
  if (opened > 0) {
    platform::CloseFile(more[0]);
    more[0] = platform::OpenReadOnly(path);
    Check(more[0] >= 0, "a closed file frees its place");
  }
  for (int i = 0; i < opened; i++) platform::CloseFile(more[i]);
  platform::CloseFile(handle);
  platform::CloseFile(-1);
  platform::CloseFile(1000);
  Check(platform::ReadFile(1000, buffer, 1) < 0, "no read from a handle out of range");
  std::remove(path);

  Check(platform::OpenReadOnly("no-such-folder\\quorvel.dat") < 0, "a missing file does not open");
}

std::atomic<int> worker_steps{0};

void ParkingWorker(void* raw) {
  auto* parker = static_cast<platform::Parker*>(raw);
  for (int i = 0; i < 3; i++) {
    platform::Park(parker);
    worker_steps.fetch_add(1);
  }
}

void CheckParking() {
  platform::Parker* parker = platform::CreateParker();
  Check(parker != nullptr, "parker created");
  if (parker == nullptr) return;
  // A wake before the park is kept, not lost.
  platform::Wake(parker);
  Check(platform::StartThread(ParkingWorker, parker), "worker started");
  for (int expected = 1; expected <= 3; expected++) {
    for (int waited = 0; worker_steps.load() < expected && waited < 5000; waited++) {
      platform::SleepMs(1);
    }
    Check(worker_steps.load() == expected, "the worker runs once per wake");
    if (expected < 3) platform::Wake(parker);
  }
  platform::DestroyParker(parker);
}

std::atomic<int> deep_stack_done{0};

// Uses about 3 MiB of stack, more than a default thread stack holds.
int DeepRecursion(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  if (depth == 0) return frame[0];
  return DeepRecursion(depth - 1) + frame[0];
}

void DeepStackWorker(void*) {
  DeepRecursion(750);
  deep_stack_done.store(1);
}

void CheckThreadStack() {
  Check(platform::StartThread(DeepStackWorker, nullptr, 8u << 20), "thread with 8 MiB stack");
  for (int waited = 0; deep_stack_done.load() == 0 && waited < 5000; waited++) platform::SleepMs(1);
  Check(deep_stack_done.load() == 1, "the thread uses 3 MiB of its stack");
}

void CheckEnvironment() {
  char buffer[3] = {'x', 'x', 'x'};
  Check(platform::ReadEnvironment("QUORVEL_CHECK_TWO", buffer, sizeof buffer) ==
                platform::EnvironmentRead::Copied &&
            std::strcmp(buffer, "12") == 0,
        "two digits fit three bytes");
  buffer[0] = 'x';
  Check(platform::ReadEnvironment("QUORVEL_CHECK_THREE", buffer, sizeof buffer) ==
                platform::EnvironmentRead::TooLong &&
            buffer[0] == 0,
        "three digits are too long and leave the buffer empty");
  buffer[0] = 'x';
  Check(platform::ReadEnvironment("QUORVEL_CHECK_EMPTY", buffer, sizeof buffer) ==
                platform::EnvironmentRead::Copied &&
            buffer[0] == 0,
        "an empty value is set and empty");
  Check(platform::ReadEnvironment("QUORVEL_CHECK_UNSET", buffer, sizeof buffer) ==
            platform::EnvironmentRead::Unset,
        "an unset variable");
  Check(platform::SystemSetsProcessorVariable(), "Windows sets NUMBER_OF_PROCESSORS");
}

// Bench divides by processor time: it must count work, not waiting (the
// C library's clock() counts wall time here).
void CheckProcessorTime() {
  const uint64_t before_sleep = platform::ProcessorTimeUs();
  platform::SleepMs(200);
  Check(platform::ProcessorTimeUs() - before_sleep < 100000u, "processor time stands still in a sleep");
  const uint64_t before_work = platform::ProcessorTimeUs();
  const uint32_t start = platform::TickCountMs();
  while (platform::TickCountMs() - start < 200u) {
  }
  Check(platform::ProcessorTimeUs() - before_work > 10000u, "processor time grows with work");
}

// The large tables' block: zero, writable to its last byte, page-aligned.
void CheckLargeBlock() {
  const size_t bytes = (size_t{8} << 20) + 48;
  platform::LargeBlock block = platform::AllocateLarge(bytes);
  Check(block.memory != nullptr && block.bytes >= bytes, "a large block");
  if (block.memory == nullptr) return;
  auto* bytes_of = static_cast<unsigned char*>(block.memory);
  bool zero = true;
  for (size_t i = 0; i < bytes; i += 4093) zero = zero && bytes_of[i] == 0;
  Check(zero && bytes_of[bytes - 1] == 0, "the large block is zero-filled");
  Check(reinterpret_cast<uintptr_t>(block.memory) % 4096 == 0, "the large block starts a page");
  bytes_of[bytes - 1] = 1;
  platform::FreeLarge(block);
  Check(block.memory == nullptr && block.bytes == 0, "the large block is released");
}

void CheckMemoryAndClock() {
  const size_t bytes = 1u << 22;
  auto* block = static_cast<unsigned char*>(platform::AllocateZeroed(bytes));
  Check(block != nullptr, "4 MiB allocated");
  if (block != nullptr) {
    bool zero = true;
    for (size_t i = 0; i < bytes; i++) zero = zero && block[i] == 0;
    Check(zero, "the block is zero-filled");
    platform::FreeMemory(block);
  }
  platform::FreeMemory(nullptr);
  Check(platform::AllocateZeroed(~static_cast<size_t>(0) / 2) == nullptr,
        "an impossible size gives null");

  uint32_t start = platform::TickCountMs();
  platform::SleepMs(100);
  int32_t elapsed = static_cast<int32_t>(platform::TickCountMs() - start);
  Check(elapsed >= 80 && elapsed < 5000, "the clock advances with a sleep");
  CheckProcessorTime();
  CheckLargeBlock();
  Check(platform::ProcessorCount() >= 1, "at least one processor");
  Check(platform::CurrentThreadId() != 0, "a thread id");
}

void CheckStdin(const char* expected) {
  platform::InitStdio();
  platform::InputKind kind = platform::StdinKind();
  if (std::strcmp(expected, "pipe") == 0) {
    Check(kind == platform::InputKind::Pipe, "standard input is a pipe");
  } else {
    Check(kind == platform::InputKind::File, "standard input is a file");
  }
  // The caller's input is "abc\n": it waits, reads, and then ends.
  long waiting = 0;
  for (int tries = 0; tries < 5000 && (waiting = platform::StdinBytesWaiting()) == 0; tries++) {
    platform::SleepMs(1);
  }
  Check(waiting >= 1, "input is seen waiting");
  char line[8] = {};
  uint8_t byte = 0;
  int length = 0;
  if (platform::ReadStdinByte(&byte) == 1) line[length++] = static_cast<char>(byte);
  // Input is read ahead in blocks: what was read ahead still waits.
  Check(platform::StdinBytesWaiting() >= 3, "the rest of the line is seen waiting");
  while (length < 7 && platform::ReadStdinByte(&byte) == 1) line[length++] = static_cast<char>(byte);
  Check(std::strcmp(line, "abc\n") == 0, "the input reads byte by byte");
  Check(platform::ReadStdinByte(&byte) == 0, "then the end of the data");
  Check(platform::StdinBytesWaiting() >= 0, "the query after the end is no failure");
}

void CheckCommandLine(int argc, char** argv) {
  if (BUILD_64_BIT || argc <= 2) return;
  // Quotes of either kind, no escapes: "a b" 'c d' e.
  platform::TakeCommandLine(argc, argv);
  Check(argc == 5, "the 32-bit command line splits into five");
  if (argc != 5) return;
  Check(std::strcmp(argv[2], "a b") == 0, "double quotes hold a blank");
  Check(std::strcmp(argv[3], "c d") == 0, "single quotes hold a blank");
  Check(std::strcmp(argv[4], "e") == 0, "a plain argument");
  Check(argv[5] == nullptr, "the list ends with null");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: quorvel-platform-check pipe|file [ARGUMENTS...]\n");
    return 2;
  }
  CheckFiles();
  CheckParking();
  CheckThreadStack();
  CheckEnvironment();
  CheckMemoryAndClock();
  CheckStdin(argv[1]);
  CheckCommandLine(argc, argv);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
