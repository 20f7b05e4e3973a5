#include "frontend/banner.h"

#include <cstdio>

#include "frontend/console.h"
#include "frontend/version.h"
#include "platform/build_flavour.h"

namespace {

// The constant shown in hexadecimal on the first line.
constexpr int BANNER_CONSTANT = 1500;

const char* FirstLineFormat() {
  if (BUILD_MP) {
    return BUILD_64_BIT ? "Quorvel: " QUORVEL_BANNER_VERSION " (ZEV 026, %x, for 64-bit architecture, %i threads)\n"
                        : "Quorvel: " QUORVEL_BANNER_VERSION " (ZEV 026, %x, %i threads)\n";
  }
  return BUILD_64_BIT ? "Quorvel: " QUORVEL_BANNER_VERSION " (ZEV 026, %x, for 64-bit architecture)\n"
                      : "Quorvel: " QUORVEL_BANNER_VERSION " (ZEV 026, %x)\n";
}

// Feature tags: the personality's own, then the parallel search's.
const char* TagLine() {
  switch (BUILD_PERSONALITY) {
    case Personality::Active:
      return BUILD_MP ? "une ueh ars ans\n" : "une ueh\n";
    case Personality::Passive:
      return BUILD_MP ? "ueh ars ans\n" : "ueh\n";
    case Personality::Inert:
      return BUILD_MP ? "uie pid sco lme ueh ars ans\n" : "uie pid sco lme ueh\n";
  }
  return "\n";
}

}  // namespace

void FormatBannerFirstLine(char* text, size_t size, int thread_count) {
  if (BUILD_MP) {
    snprintf(text, size, FirstLineFormat(), BANNER_CONSTANT, thread_count);
  } else {
    snprintf(text, size, FirstLineFormat(), BANNER_CONSTANT);
  }
}

void PrintBanner(int thread_count) {
  char line[FORMAT_BUFFER_SIZE];
  FormatBannerFirstLine(line, sizeof line, thread_count);
  WriteText(line);
  WriteText(TagLine());
  WriteText("Copyright (C) 2026 the Quorvel developers. Free software, no warranty.\n");
}
