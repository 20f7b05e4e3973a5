// The platform layer: read-only files, parking threads, the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

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
