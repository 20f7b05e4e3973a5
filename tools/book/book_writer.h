// Laying a finished book tree out as a book file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/book/book_tree.h"

// The file image of a finished tree: the header, the root list as records
// 1..N, then every list of children as consecutive records, breadth first.
// False, with the reason in `error`, when the tree has no root move or
// needs more records than a link can address.
bool LayOutBook(const BookTree& tree, std::vector<uint8_t>& image, std::string& error);
