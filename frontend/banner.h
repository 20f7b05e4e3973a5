// The banner every program prints first.
#pragma once

#include <cstddef>

// Three lines: version (with the architecture in 64-bit builds and the
// thread count in MP builds), the build's feature tags, the rights notice.
void PrintBanner(int thread_count);

// The first line alone, with its line feed.
void FormatBannerFirstLine(char* text, size_t size, int thread_count);
