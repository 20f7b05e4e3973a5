// Command-line options and the processor count.
#include <gtest/gtest.h>

#include <cstdlib>

#include "frontend/options.h"
#include "platform/build_flavour.h"

namespace {

EngineOptions Read(std::initializer_list<const char*> arguments, int cores = 8) {
  std::vector<const char*> argv = {"engine"};
  argv.insert(argv.end(), arguments);
  EngineOptions options = ReadOptions(static_cast<int>(argv.size()), argv.data(), cores);
  return options;
}

TEST(Options, HashSizeDefaultsAndClamps) {
  EngineOptions options = Read({});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, 6);

  options = Read({"hashsize=0"});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, 1);

  options = Read({"hashsize=20"});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, BUILD_64_BIT ? 12 : 11);

  options = Read({"hashsize=x"});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, 1);

  // Without "=" the word is no option; a later argument wins.
  options = Read({"hashsize", "hashsize=9", "hashsize=3"});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, 3);

  // Case matters.
  options = Read({"HashSize=3"});
  ClampOptions(options);
  EXPECT_EQ(options.hash_log, 6);
}

TEST(Options, ThreadsAreRaisedCheckedAndCapped) {
  EngineOptions options = Read({"threads=1"}, 2);
  EXPECT_EQ(options.thread_count, 2);
  EXPECT_TRUE(EnoughProcessors(options, 2));

  options = Read({"threads=12"}, 16);
  EXPECT_TRUE(EnoughProcessors(options, 16));
  ClampOptions(options);
  EXPECT_EQ(options.thread_count, 8);

  // The check uses the count before the cap.
  options = Read({"threads=9"}, 8);
  EXPECT_FALSE(EnoughProcessors(options, 8));

  options = Read({"threads=x"}, 4);
  EXPECT_EQ(options.thread_count, 2);

  options = Read({"splitroot=0", "splitnodes=0"});
  EXPECT_EQ(options.split_root, 0);
  EXPECT_EQ(options.split_nodes, 0);
}

TEST(Options, ProcessorCountFromEnvironment) {
  const char* saved = getenv("NUMBER_OF_PROCESSORS");
  std::string saved_value = saved ? saved : "";

  setenv("NUMBER_OF_PROCESSORS", "4", 1);
  EXPECT_EQ(CountProcessors(), 4);
  setenv("NUMBER_OF_PROCESSORS", "16", 1);
  EXPECT_EQ(CountProcessors(), 16);
  // Three digits do not fit the buffer; an empty value reads 0.
  setenv("NUMBER_OF_PROCESSORS", "123", 1);
  EXPECT_EQ(CountProcessors(), 0);
  setenv("NUMBER_OF_PROCESSORS", "", 1);
  EXPECT_EQ(CountProcessors(), 0);
  unsetenv("NUMBER_OF_PROCESSORS");
  EXPECT_GE(CountProcessors(), 1);

  if (saved) setenv("NUMBER_OF_PROCESSORS", saved_value.c_str(), 1);
}

TEST(Options, ReadIntegerUsesLeadingDigits) {
  EXPECT_EQ(ReadInteger("12x"), 12);
  EXPECT_EQ(ReadInteger("x12"), 0);
  EXPECT_EQ(ReadInteger("-5"), -5);
  EXPECT_EQ(ReadInteger(""), 0);
  EXPECT_EQ(ReadInteger("99999999999999999999"), 2147483647);
}

}  // namespace
