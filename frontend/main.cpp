// The program's entry: options, the processor check of the MP builds,
// start-up, the command loop, and the end.
#include "frontend/command_loop.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/options.h"
#include "platform/build_flavour.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  InitConsole();
  platform::TakeCommandLine(argc, argv);
  int cores = BUILD_MP ? CountProcessors() : 0;
  EngineOptions options = ReadOptions(argc, argv, cores);
  if (BUILD_MP && !EnoughProcessors(options, cores)) {
    WriteText("error: not enough cores/processors");
    WriteText("\r\n");
    return 0;
  }
  ClampOptions(options);
  InitEngine(options);
  RunCommandLoop(argc, argv);
  FreeEngine();
  return 0;
}
