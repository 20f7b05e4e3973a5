// The platform layer: read-only files, parking threads, the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "platform/platform.h"

namespace {

TEST(Platform, ReadOnlyFilesSeekAndRead) {
  char path[] = "/tmp/quorvel-platform-XXXXXX";
  FILE* file = fdopen(mkstemp(path), "wb");
  ASSERT_NE(file, nullptr);
  fputs("0123456789", file);
  fclose(file);

  int handle = platform::OpenReadOnly(path);
  ASSERT_GE(handle, 0);
  char buffer[8] = {};
  EXPECT_TRUE(platform::SeekFile(handle, 4));
  EXPECT_EQ(platform::ReadFile(handle, buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "456");
  // A read past the end returns what there is.
  EXPECT_EQ(platform::ReadFile(handle, buffer, 8), 3);
  EXPECT_EQ(platform::ReadFile(handle, buffer, 8), 0);
  platform::CloseFile(handle);
  std::remove(path);

  EXPECT_LT(platform::OpenReadOnly("/nonexistent/quorvel.dat"), 0);
  // A folder and a FIFO are no files; the FIFO, with no writer, must not block.
  EXPECT_LT(platform::OpenReadOnly("/tmp"), 0);
  char fifo[] = "/tmp/quorvel-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(fifo), nullptr);
  const std::string fifo_path = std::string(fifo) + "/book";
  ASSERT_EQ(mkfifo(fifo_path.c_str(), 0600), 0);
  EXPECT_LT(platform::OpenReadOnly(fifo_path.c_str()), 0);
  std::remove(fifo_path.c_str());
  std::remove(fifo);
}

// The large tables' blocks: zero, writable to the last byte, and aligned
// to a huge page when mapped; a huge-page hint on static storage is harmless.
TEST(Platform, LargeBlocksAreZeroAndWritable) {
  for (const size_t bytes : {size_t{48}, (size_t{2} << 20) + 48, (size_t{8} << 20) + 48}) {
    platform::LargeBlock block = platform::AllocateLarge(bytes);
    ASSERT_NE(block.memory, nullptr);
    EXPECT_GE(block.bytes, bytes);
    if (block.mapped) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block.memory) % (size_t{2} << 20), 0u);
    }
    auto* bytes_of = static_cast<unsigned char*>(block.memory);
    size_t nonzero = 0;
    for (size_t i = 0; i < bytes; i += 4093) nonzero += bytes_of[i] != 0;
    EXPECT_EQ(nonzero + bytes_of[bytes - 1], 0u);
    bytes_of[0] = 1;
    bytes_of[bytes - 1] = 2;
    platform::FreeLarge(block);
    EXPECT_EQ(block.memory, nullptr);
  }
  platform::LargeBlock none{nullptr, 0, false};
  platform::FreeLarge(none);  // releasing nothing is allowed

  static unsigned char table[size_t{5} << 20];
  platform::AdviseHugePages(table, sizeof(table));
  platform::AdviseHugePages(table, 100);  // smaller than a huge page: nothing to ask
  table[sizeof(table) - 1] = 3;
  EXPECT_EQ(table[sizeof(table) - 1], 3);
}

std::atomic<int> worker_steps{0};

void ParkingWorker(void* raw) {
  auto* parker = static_cast<platform::Parker*>(raw);
  for (int i = 0; i < 3; i++) {
    platform::Park(parker);
    worker_steps.fetch_add(1);
  }
}

TEST(Platform, ParkedThreadRunsOncePerWake) {
  platform::Parker* parker = platform::CreateParker();
  // A wake before the park is kept, not lost.
  platform::Wake(parker);
  ASSERT_TRUE(platform::StartThread(ParkingWorker, parker));
  for (int expected = 1; expected <= 3; expected++) {
    while (worker_steps.load() < expected) platform::SleepMs(1);
    EXPECT_EQ(worker_steps.load(), expected);
    if (expected < 3) platform::Wake(parker);
  }
  platform::DestroyParker(parker);
}

TEST(Platform, ClockAdvancesAndProcessorsAreCounted) {
  const uint32_t start = platform::TickCountMs();
  platform::SleepMs(20);
  const int32_t elapsed = static_cast<int32_t>(platform::TickCountMs() - start);
  EXPECT_GE(elapsed, 19);
  EXPECT_GE(platform::ProcessorCount(), 1);
}

TEST(Platform, EnvironmentReadsRespectTheBuffer) {
  char buffer[3] = {'x', 'x', 'x'};
  setenv("QUORVEL_TEST_VARIABLE", "12", 1);
  EXPECT_EQ(platform::ReadEnvironment("QUORVEL_TEST_VARIABLE", buffer, sizeof buffer),
            platform::EnvironmentRead::Copied);
  EXPECT_STREQ(buffer, "12");
  setenv("QUORVEL_TEST_VARIABLE", "123", 1);
  buffer[0] = 0;
  EXPECT_EQ(platform::ReadEnvironment("QUORVEL_TEST_VARIABLE", buffer, sizeof buffer),
            platform::EnvironmentRead::TooLong);
  EXPECT_EQ(buffer[0], 0);
  unsetenv("QUORVEL_TEST_VARIABLE");
  EXPECT_EQ(platform::ReadEnvironment("QUORVEL_TEST_VARIABLE", buffer, sizeof buffer),
            platform::EnvironmentRead::Unset);
}

}  // namespace
