// Splitting a raw command line into arguments.
#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {

TEST(CommandLine, SplitCommandLineHonoursQuotes) {
  char line[] = "engine \"a b\" 'c d' e";
  char* arguments[32];
  int count = SplitCommandLine(line, arguments, 32);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(arguments[0], "engine");
  EXPECT_STREQ(arguments[1], "a b");
  EXPECT_STREQ(arguments[2], "c d");
  EXPECT_STREQ(arguments[3], "e");

  char unclosed[] = "engine \"runs to the end";
  count = SplitCommandLine(unclosed, arguments, 32);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(arguments[1], "runs to the end");

  char many[] = "a b c d e";
  EXPECT_EQ(SplitCommandLine(many, arguments, 3), 3);
}

}  // namespace
