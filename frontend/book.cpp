#include "frontend/book.h"

Move BookMoveForGame() { return 0; }
