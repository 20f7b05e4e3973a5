// Printing a book file as an indented tree, checking it on the way.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

// Prints the moves of `image` to `depth` plies, one per line, indented two
// blanks per ply: "e2e4 120". A move that is no legal move of its position
// is marked "(not legal)" and not followed. Before printing, every list
// reachable from the root is checked; a fault is reported on `errors` with
// the record at fault and the result is false.
bool DumpBook(const std::vector<uint8_t>& image, int depth, std::ostream& out, std::ostream& errors);
