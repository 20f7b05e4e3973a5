#include "frontend/uci/text.h"

#include <cstring>

bool StartsWithWord(const char* text, const char* word) {
  const size_t length = strlen(word);
  return strncmp(text, word, length) == 0 && (text[length] == 0 || IsBlank(text[length]));
}

const char* AfterWord(const char* text) {
  text = SkipBlanks(text);
  while (*text != 0 && !IsBlank(*text)) text++;
  return SkipBlanks(text);
}

void CopyWord(const char* text, char* word, size_t size) {
  text = SkipBlanks(text);
  size_t length = 0;
  while (text[length] != 0 && !IsBlank(text[length]) && length + 1 < size) {
    word[length] = text[length];
    length++;
  }
  word[length] = 0;
}

bool EqualIgnoringCase(const char* a, const char* b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  while (*a != 0 && lower(*a) == lower(*b)) {
    a++;
    b++;
  }
  return lower(*a) == lower(*b);
}
