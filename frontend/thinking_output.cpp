#include "frontend/thinking_output.h"

void PrintThinking(ThinkingRecord&) {}

void PrintMoveThinking(Move) {}
