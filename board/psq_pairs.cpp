// Storage of the piece-square pairs; zero until the evaluation fills them.
#include "board/psq_pairs.h"

ScorePair psq_pair[16][64];
