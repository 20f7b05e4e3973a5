#include "frontend/options.h"

#include <cstdlib>
#include <cstring>

#include "platform/build_flavour.h"
#include "platform/platform.h"

int ReadInteger(const char* text) {
  long value = strtol(text, nullptr, 10);
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

namespace {

// The value of an argument that starts with `name` (which ends in "="),
// or null when it does not.
const char* OptionValue(const char* argument, const char* name) {
  size_t length = strlen(name);
  return strncmp(argument, name, length) == 0 ? argument + length : nullptr;
}

}  // namespace

EngineOptions ReadOptions(int argc, const char* const* argv, int cores) {
  EngineOptions options = {6, cores, 1, 1};
  for (int i = 1; i < argc; i++) {
    const char* value;
    if ((value = OptionValue(argv[i], "hashsize=")) != nullptr) {
      options.hash_log = ReadInteger(value);
    } else if ((value = OptionValue(argv[i], "threads=")) != nullptr) {
      options.thread_count = ReadInteger(value);
    } else if ((value = OptionValue(argv[i], "splitroot=")) != nullptr) {
      options.split_root = ReadInteger(value);
    } else if ((value = OptionValue(argv[i], "splitnodes=")) != nullptr) {
      options.split_nodes = ReadInteger(value);
    }
  }
  if (options.thread_count < 2) options.thread_count = 2;
  return options;
}

int CountProcessors() {
  // Three bytes: two digits and the terminator; anything longer reads 0.
  // A value that does not fit leaves the buffer empty, which reads 0. An
  // unset variable asks the system instead where the system never sets it
  // (Linux); the parallel search needs two threads, so there an unset
  // variable never refuses. Windows always sets it: unset reads 0 there.
  char buffer[3] = {0, 0, 0};
  switch (platform::ReadEnvironment("NUMBER_OF_PROCESSORS", buffer, sizeof buffer)) {
    case platform::EnvironmentRead::Unset:
      if (platform::SystemSetsProcessorVariable()) return 0;
      return platform::ProcessorCount() < 2 ? 2 : platform::ProcessorCount();
    case platform::EnvironmentRead::TooLong:
      return 0;
    case platform::EnvironmentRead::Copied:
      break;
  }
  return ReadInteger(buffer);
}

bool EnoughProcessors(const EngineOptions& options, int cores) {
  return cores >= options.thread_count;
}

void ClampOptions(EngineOptions& options) {
  int max_hash = BUILD_64_BIT ? MAX_HASH_LOG : MAX_HASH_LOG_32BIT;
  if (options.hash_log < 1) options.hash_log = 1;
  if (options.hash_log > max_hash) options.hash_log = max_hash;
  if (options.thread_count > MAX_THREADS) options.thread_count = MAX_THREADS;
}
