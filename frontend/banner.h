// The banner every program prints first.
#pragma once

// Three lines: version (with the architecture in 64-bit builds and the
// thread count in MP builds), the build's feature tags, the rights notice.
void PrintBanner(int thread_count);
