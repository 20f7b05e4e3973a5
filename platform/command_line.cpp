#include "platform/command_line.h"

int SplitCommandLine(char* line, char** arguments, int max_arguments) {
  int count = 0;
  char* cursor = line;
  while (*cursor != 0 && count < max_arguments) {
    while (*cursor != 0 && static_cast<unsigned char>(*cursor) <= 32) cursor++;
    if (*cursor == 0) break;
    char end_mark = 0;
    if (*cursor == '"' || *cursor == '\'') end_mark = *cursor++;
    arguments[count++] = cursor;
    if (end_mark != 0) {
      while (*cursor != 0 && *cursor != end_mark) cursor++;
    } else {
      while (static_cast<unsigned char>(*cursor) > 32) cursor++;
    }
    if (*cursor != 0) *cursor++ = 0;
  }
  return count;
}
