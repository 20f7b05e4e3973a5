// Storage of the process-wide generator state.
#include "board/random_state.h"

uint32_t random_state = 1;
