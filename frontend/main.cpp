// The program's entry: options, the processor check of the MP builds,
// start-up, the banner, the command loop of the protocol the front end
// speaks, and the end.
#include "frontend/banner.h"
#include "frontend/xboard/command_loop.h"
#include "frontend/console.h"
#include "frontend/engine_init.h"
#include "frontend/options.h"
#include "frontend/uci/loop.h"
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
  PrintBanner(thread_count);
  // The first command chooses the protocol: "uci", or xboard for the rest.
  if (FirstCommandIsUci()) {
    RunUciLoop();
  } else {
    RunCommandLoop(argc, argv);
  }
  FreeEngine();
  return 0;
}
